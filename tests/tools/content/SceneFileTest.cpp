// Every generated scene read back through the show's own line reader with the scene reader's
// rules (keywords anywhere on a line, blocks ending only at a line with no characters, motion
// blocks by position), and compared with what the generator meant to write.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "TestShow.h"
#include "resources/TextLineReader.h"

namespace cm::content::test {
namespace {

struct ReadItem {
    LwsItemDef::Kind kind;
    std::string file;
    std::vector<LwsKey> keys;
    int channels = 0, parent = 0, target = 0;
};

void ReadMotion(TextLineReader& r, ReadItem& item) {
    ASSERT_TRUE(r.ReadLine());
    ASSERT_TRUE(r.NextToken(item.channels));
    int32_t count = 0;
    ASSERT_TRUE(r.ReadLine());
    ASSERT_TRUE(r.NextToken(count));
    for (int32_t k = 0; k < count; ++k) {
        LwsKey key;
        ASSERT_TRUE(r.ReadLine());
        for (int i = 0; i < item.channels && i < 9; ++i) ASSERT_TRUE(r.NextToken(key.values[i]));
        ASSERT_TRUE(r.ReadLine());
        int32_t frame = 0, linear = 0;
        ASSERT_TRUE(r.NextToken(frame));
        ASSERT_TRUE(r.NextToken(linear));
        ASSERT_TRUE(r.NextToken(key.tension));
        ASSERT_TRUE(r.NextToken(key.continuity));
        ASSERT_TRUE(r.NextToken(key.bias));
        key.frame = frame;
        item.keys.push_back(key);
    }
    ASSERT_TRUE(r.ReadLine());
    EXPECT_EQ(r.FindKeyword("EndBehavior"), 0);
}

void ReadScene(const std::vector<uint8_t>& bytes, std::vector<ReadItem>& items) {
    TextLineReader r;
    ASSERT_TRUE(r.Attach(bytes));
    const char* top = "FirstFrame LastFrame FrameStep FramesPerSecond LoadObject AddNullObject ShowCamera AddLight "
                      "AmbientColor AmbIntensity";
    while (r.ReadLine()) {
        const int k = r.FindKeyword(top);
        if (k != 4 && k != 5 && k != 6) continue;
        ReadItem item{LwsItemDef::kCamera, "", {}};
        if (k != 6) {
            ASSERT_TRUE(r.NextToken());
            ASSERT_TRUE(r.NextToken(item.file));
            // The name decides the kind, whatever the keyword.
            item.kind = item.file == "Null" ? LwsItemDef::kNull : LwsItemDef::kObject;
        }
        const char* block = k == 6 ? "CameraMotion TargetObject ZoomFactor PixelAspectRatio"
                                   : "ObjectMotion ParentObject PivotPoint";
        std::string line;
        while (r.ReadLine(line) && !line.empty()) {
            const int b = r.FindKeyword(block);
            if (b == 0) ReadMotion(r, item);
            if (b == 1) {
                ASSERT_TRUE(r.NextToken());
                ASSERT_TRUE(r.NextToken(k == 6 ? item.target : item.parent));
            }
        }
        items.push_back(item);
    }
}

TEST(SceneFiles, ReadBackThroughTheLineReaderAsWritten) {
    for (const auto& [name, scene] : Show().scenes) {
        SCOPED_TRACE(name);
        std::vector<ReadItem> items;
        ReadScene(Show().files.at(name), items);
        const std::vector<LwsItemDef>& written = scene.Items();
        ASSERT_EQ(items.size(), written.size());
        for (size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(items[i].kind, written[i].kind);
            if (written[i].kind == LwsItemDef::kObject) {
                EXPECT_EQ(items[i].file, written[i].objectFile);
                EXPECT_TRUE(Show().objects.count(items[i].file));
            }
            EXPECT_EQ(items[i].channels, 9);
            EXPECT_EQ(items[i].parent, written[i].parent);
            EXPECT_EQ(items[i].target, written[i].target);
            ASSERT_EQ(items[i].keys.size(), written[i].keys.size());
            for (size_t k = 0; k < items[i].keys.size(); ++k) {
                EXPECT_EQ(items[i].keys[k].frame, written[i].keys[k].frame);
                if (k > 0) {
                    EXPECT_GT(items[i].keys[k].frame, items[i].keys[k - 1].frame) << "keys in time order";
                }
                for (int v = 0; v < 9; ++v)
                    EXPECT_NEAR(items[i].keys[k].values[v], written[i].keys[k].values[v], 2e-6);
            }
        }
    }
}

TEST(SceneFiles, EveryLineEndsInCrLfAndEveryBlockInAnEmptyLine) {
    for (const auto& [name, scene] : Show().scenes) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t>& b = Show().files.at(name);
        ASSERT_GE(b.size(), 2u);
        EXPECT_EQ(b[b.size() - 2], '\r');
        EXPECT_EQ(b.back(), '\n');
        for (size_t i = 0; i < b.size(); ++i) {
            if (b[i] == '\r') {
                EXPECT_TRUE(i + 1 < b.size() && b[i + 1] == '\n') << "lone CR at " << i;
            }
            if (b[i] == '\n') {
                EXPECT_TRUE(i > 0 && b[i - 1] == '\r') << "bare LF at " << i;
            }
            EXPECT_NE(b[i], 0) << "NUL ends a line for the reader";
        }
        // Item blocks: as many empty lines after items as there are items (plus header/trailer).
        const std::string text(b.begin(), b.end());
        size_t blocks = 0;
        for (size_t at = text.find("\r\n\r\n"); at != std::string::npos; at = text.find("\r\n\r\n", at + 2)) ++blocks;
        EXPECT_EQ(blocks, scene.Items().size() + 3);
    }
}

TEST(SceneFiles, WriterRefusesLinksToMissingItems) {
    LwsWriter s(0, 10);
    s.AddNull({PositionKey(0, 0, 0, 0)});
    s.AddCamera({PositionKey(0, 0, 0, -1)}, 3);
    EXPECT_THROW(s.Serialize(), std::logic_error);
    LwsWriter noKeys(0, 10);
    noKeys.AddNull({});
    EXPECT_THROW(noKeys.Serialize(), std::logic_error);
}

}  // namespace
}  // namespace cm::content::test
