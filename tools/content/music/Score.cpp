#include "music/Score.h"

#include <charconv>
#include <map>
#include <string>
#include <utility>

#include "music/Patches.h"

namespace cm::music {
namespace {

struct Step {
    int note = 0;       // 0 nothing, 1..96, kXmKeyOff
    int velocity = -1;  // -1: the instrument's own volume
    int effect = 0;
    int param = 0;
};

struct Phrase {
    int rowsPerStep = 1;
    std::vector<Step> steps;
    int Rows() const { return rowsPerStep * static_cast<int>(steps.size()); }
};

using Tokens = std::vector<std::string_view>;

Tokens Split(std::string_view line) {
    Tokens out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        if (j == i) break;
        if (line[i] == '#') break;  // the rest is a comment
        out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

bool Int(std::string_view s, int lo, int hi, int& out) {
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "C-4", "F#3": octave 0..7, so 1..96 as the module counts.
bool Note(std::string_view s, int& out) {
    static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (s.size() != 3 || s[0] < 'A' || s[0] > 'G' || (s[1] != '-' && s[1] != '#') || s[2] < '0' || s[2] > '7') return false;
    if (s[1] == '#' && (s[0] == 'B' || s[0] == 'E')) return false;  // no black key there
    const int semitone = kSemitone[s[0] - 'A'] + (s[1] == '#' ? 1 : 0);
    out = 1 + (s[2] - '0') * 12 + semitone;
    return out >= 1 && out <= 96;
}

// A step with its suffixes: head [@velocity] [!effect] [*count].
bool ParseStep(std::string_view token, Step& step, int& count) {
    step = Step{};
    count = 1;
    size_t end = token.find_first_of("@!*");
    const std::string_view head = token.substr(0, end);
    if (head == "off") step.note = kXmKeyOff;
    else if (head != "." && !Note(head, step.note)) return false;
    while (end != std::string_view::npos) {
        const char kind = token[end];
        const size_t next = token.find_first_of("@!*", end + 1);
        const std::string_view arg = token.substr(end + 1, next == std::string_view::npos ? std::string_view::npos : next - end - 1);
        if (kind == '@') {
            if (!Int(arg, 0, 64, step.velocity)) return false;
        } else if (kind == '!') {
            if (arg.size() != 3 || HexDigit(arg[1]) < 0 || HexDigit(arg[2]) < 0) return false;
            const char e = arg[0];
            if (e >= '0' && e <= '9') step.effect = e - '0';
            else if (e >= 'A' && e <= 'Z') step.effect = e - 'A' + 10;
            else return false;
            step.param = HexDigit(arg[1]) * 16 + HexDigit(arg[2]);
        } else if (!Int(arg, 1, 256, count)) {
            return false;
        }
        end = next;
    }
    return true;
}

class Parser {
public:
    explicit Parser(Score& score) : score_(score) {}

    bool Run(std::string_view text, std::string& error) {
        size_t pos = 0;
        while (pos <= text.size() && ok_) {
            size_t nl = text.find('\n', pos);
            if (nl == std::string_view::npos) nl = text.size();
            std::string_view line = text.substr(pos, nl - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++lineNumber_;
            const Tokens tokens = Split(line);
            if (!tokens.empty()) {
                const bool indented = line[0] == ' ' || line[0] == '\t';
                indented ? Continue(tokens) : Statement(tokens);
            }
            pos = nl + 1;
        }
        if (ok_) ResolveOrder();
        if (!ok_) error = error_;
        return ok_;
    }

private:
    enum class Block { None, Phrase, Pattern, Order };

    bool Fail(const std::string& what) {
        // Line 0 stands for the score as a whole.
        if (ok_) error_ = (lineNumber_ > 0 ? "score line " + std::to_string(lineNumber_) : std::string("score")) + ": " + what;
        ok_ = false;
        return false;
    }

    void Statement(const Tokens& t) {
        block_ = Block::None;
        const std::string_view k = t[0];
        const size_t n = t.size();
        if (k == "title") {
            std::string title;
            for (size_t i = 1; i < n; ++i) {
                if (i > 1) title.push_back(' ');
                title.append(t[i]);
            }
            score_.title = title;
        } else if (k == "speed" && n == 2) {
            if (!Int(t[1], 1, 31, score_.speed)) Fail("speed must be 1..31");
        } else if (k == "bpm" && n == 2) {
            if (!Int(t[1], 32, 255, score_.bpm)) Fail("bpm must be 32..255");
        } else if (k == "channels" && n == 2) {
            if (!score_.patterns.empty()) Fail("channels must come before the first pattern");
            else if (!Int(t[1], 1, kXmMaxChannels, score_.channels)) Fail("channels must be 1..32");
        } else if (k == "restart" && n == 2) {
            if (!Int(t[1], 0, 255, score_.restart)) Fail("restart must be 0..255");
        } else if (k == "instrument" && n == 5) {
            Instrument(t);
        } else if (k == "phrase" && n >= 3) {
            PhraseStart(t);
        } else if (k == "pattern" && n == 3) {
            PatternStart(t);
        } else if (k == "order") {
            block_ = Block::Order;
            Continue(Tokens(t.begin() + 1, t.end()));
        } else {
            Fail("cannot read '" + std::string(k) + "' with " + std::to_string(n - 1) + " arguments");
        }
    }

    void Continue(const Tokens& t) {
        switch (block_) {
            case Block::Phrase: PhraseSteps(t, 0); break;
            case Block::Pattern: ChannelLine(t); break;
            case Block::Order:
                for (std::string_view name : t) orderNames_.emplace_back(name, lineNumber_);
                break;
            default: Fail("indented line continues nothing"); break;
        }
    }

    void Instrument(const Tokens& t) {
        ScoreInstrument in;
        in.name = t[1];
        in.patch = t[2];
        if (instrumentIndex_.count(in.name)) { Fail("instrument '" + in.name + "' declared twice"); return; }
        if (score_.instruments.size() >= 128) { Fail("more than 128 instruments"); return; }
        bool known = false;
        for (const std::string& p : PatchNames()) known = known || p == in.patch;
        if (!known) { Fail("unknown patch '" + in.patch + "'"); return; }
        if (!Int(t[3], 0, 64, in.volume) || !Int(t[4], 0, 255, in.panning)) { Fail("volume 0..64, panning 0..255"); return; }
        instrumentIndex_[in.name] = static_cast<int>(score_.instruments.size());
        score_.instruments.push_back(in);
    }

    void PhraseStart(const Tokens& t) {
        const std::string name(t[1]);
        if (phrases_.count(name)) { Fail("phrase '" + name + "' defined twice"); return; }
        Phrase p;
        if (!Int(t[2], 1, kXmMaxRows, p.rowsPerStep)) { Fail("rows per step must be 1..256"); return; }
        current_ = &(phrases_[name] = p);
        block_ = Block::Phrase;
        PhraseSteps(t, 3);
    }

    void PhraseSteps(const Tokens& t, size_t first) {
        for (size_t i = first; i < t.size() && ok_; ++i) {
            if (t[i] == "|") continue;
            Step step;
            int count = 1;
            if (!ParseStep(t[i], step, count)) { Fail("cannot read step '" + std::string(t[i]) + "'"); return; }
            if (current_->Rows() + count * current_->rowsPerStep > kXmMaxRows) { Fail("phrase longer than 256 rows"); return; }
            current_->steps.insert(current_->steps.end(), static_cast<size_t>(count), step);
        }
    }

    void PatternStart(const Tokens& t) {
        const std::string name(t[1]);
        for (const std::string& existing : score_.patternNames)
            if (existing == name) { Fail("pattern '" + name + "' defined twice"); return; }
        if (score_.patterns.size() >= 256) { Fail("more than 256 patterns"); return; }
        XmPattern p;
        if (!Int(t[2], 1, kXmMaxRows, p.rows)) { Fail("pattern rows must be 1..256"); return; }
        p.cells.assign(static_cast<size_t>(p.rows * score_.channels), XmCell{});
        score_.patternNames.push_back(name);
        score_.patterns.push_back(std::move(p));
        channelsUsed_.assign(static_cast<size_t>(score_.channels), false);
        block_ = Block::Pattern;
    }

    // "<channel> <instrument> <items>...": lays the items down the channel, one after another.
    void ChannelLine(Tokens t) {
        XmPattern& pattern = score_.patterns.back();
        int channel = 0;
        if (t.size() < 3 || !Int(t[0], 1, score_.channels, channel)) { Fail("channel line needs a channel 1..channels, an instrument and items"); return; }
        if (channelsUsed_[channel - 1]) { Fail("channel " + std::to_string(channel) + " given twice in one pattern"); return; }
        channelsUsed_[channel - 1] = true;
        const auto inst = instrumentIndex_.find(std::string(t[1]));
        if (inst == instrumentIndex_.end()) { Fail("unknown instrument '" + std::string(t[1]) + "'"); return; }
        const int instrumentVolume = score_.instruments[inst->second].volume;
        const bool cut = t.back() == "...";
        if (cut) t.pop_back();

        int row = 0;
        for (size_t i = 2; i < t.size(); ++i) {
            const std::string_view item = t[i];
            int rest = 0;
            if (item.size() > 1 && item[0] == '_') {
                if (!Int(item.substr(1), 1, kXmMaxRows, rest)) { Fail("cannot read rest '" + std::string(item) + "'"); return; }
                row += rest;
                if (row > pattern.rows) {
                    if (!cut) Fail("channel " + std::to_string(channel) + " rests past the pattern's end");
                    return;
                }
                continue;
            }
            // name, then in any order: +n / -n (transpose), %n (velocity scale), *n (repeat)
            const size_t mark = item.find_first_of("+-%*");
            const std::string_view ref = item.substr(0, mark);
            int transpose = 0, scale = 64, repeat = 1;
            for (size_t at = mark; at != std::string_view::npos;) {
                const size_t next = item.find_first_of("+-%*", at + 1);
                const std::string_view arg = item.substr(at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
                int value = 0;
                const char kind = item[at];
                const bool read = kind == '*' ? Int(arg, 1, kXmMaxRows, value) : kind == '%' ? Int(arg, 0, 64, value) : Int(arg, 0, 95, value);
                if (!read) { Fail("cannot read '" + std::string(item) + "'"); return; }
                if (kind == '+') transpose = value;
                else if (kind == '-') transpose = -value;
                else if (kind == '%') scale = value;
                else repeat = value;
                at = next;
            }
            const auto found = phrases_.find(std::string(ref));
            if (found == phrases_.end()) { Fail("unknown phrase '" + std::string(ref) + "'"); return; }
            const Phrase& phrase = found->second;
            for (int r = 0; r < repeat; ++r) {
                for (const Step& step : phrase.steps) {
                    if (row >= pattern.rows) {
                        if (cut) return;
                        Fail("channel " + std::to_string(channel) + " runs past the pattern's " + std::to_string(pattern.rows) + " rows");
                        return;
                    }
                    XmCell& cell = pattern.cells[static_cast<size_t>(row * score_.channels + channel - 1)];
                    if (!Place(step, transpose, scale, inst->second + 1, instrumentVolume, cell)) return;
                    row += phrase.rowsPerStep;
                }
            }
        }
        if (row > pattern.rows && !cut) Fail("channel " + std::to_string(channel) + " runs past the pattern's " + std::to_string(pattern.rows) + " rows");
    }

    bool Place(Step step, int transpose, int scale, int instrument, int instrumentVolume, XmCell& cell) {
        // A scaled item plays its notes softer; a note without a velocity counts as 64.
        if (scale != 64 && (step.velocity >= 0 || (step.note >= 1 && step.note <= 96))) step.velocity = ((step.velocity < 0 ? 64 : step.velocity) * scale + 32) / 64;
        if (step.note >= 1 && step.note <= 96) {
            const int note = step.note + transpose;
            if (note < 1 || note > 96) return Fail("transposed note leaves the keyboard");
            cell.note = static_cast<uint8_t>(note);
            cell.instrument = static_cast<uint8_t>(instrument);
        } else if (step.note == kXmKeyOff) {
            cell.note = kXmKeyOff;
        }
        // Velocity is relative to the instrument, so the mix lives in the instrument lines.
        if (step.velocity >= 0) cell.volume = static_cast<uint8_t>(0x10 + (step.velocity * instrumentVolume + 32) / 64);
        cell.effect = static_cast<uint8_t>(step.effect);
        cell.param = static_cast<uint8_t>(step.param);
        return true;
    }

    void ResolveOrder() {
        for (const auto& [name, line] : orderNames_) {
            lineNumber_ = line;
            size_t index = 0;
            while (index < score_.patternNames.size() && score_.patternNames[index] != name) ++index;
            if (index == score_.patternNames.size()) { Fail("order names unknown pattern '" + name + "'"); return; }
            if (score_.order.size() >= 256) { Fail("order list longer than 256"); return; }
            score_.order.push_back(static_cast<uint8_t>(index));
        }
        if (score_.order.empty()) {
            lineNumber_ = 0;
            Fail("the score has no order list");
        }
        else if (score_.restart >= static_cast<int>(score_.order.size())) Fail("restart lies beyond the order list");
    }

    Score& score_;
    bool ok_ = true;
    std::string error_;
    int lineNumber_ = 0;
    Block block_ = Block::None;
    std::map<std::string, Phrase> phrases_;
    Phrase* current_ = nullptr;
    std::map<std::string, int> instrumentIndex_;
    std::vector<bool> channelsUsed_;
    std::vector<std::pair<std::string, int>> orderNames_;
};

}  // namespace

bool ParseScore(std::string_view text, Score& out, std::string& error) {
    out = Score{};
    Parser parser(out);
    if (parser.Run(text, error)) return true;
    out = Score{};
    return false;
}

bool BuildModule(const Score& score, XmModule& out, std::string& error) {
    out = XmModule{};
    out.name = score.title;
    out.channels = score.channels;
    out.speed = score.speed;
    out.bpm = score.bpm;
    out.restart = score.restart;
    out.order = score.order;
    out.patterns = score.patterns;
    for (const ScoreInstrument& si : score.instruments) {
        XmInstrument in;
        if (!MakePatch(si.patch, in)) {
            error = "unknown patch '" + si.patch + "'";
            return false;
        }
        in.name = si.name;
        in.volume = si.volume;
        in.panning = si.panning;
        out.instruments.push_back(std::move(in));
    }
    return true;
}

}  // namespace cm::music
