// cm-content: writes the show's data set as loose files, and optionally preview images.
//
//   cm-content OUT_DIR [--manifest FILE] [--preview PREVIEW_DIR]
//
// Every file goes to OUT_DIR under its file name (the part after "data\"). A file whose bytes are
// unchanged is not rewritten. The manifest lists the written paths, one per line, in the order the
// pack should hold them (sorted by name). The previews are wireframes of each scene as its camera sees it at a
// few frames, each edge dimmed by the part's fog, so a scene's fit can be judged by eye.
// Exit code 0 on success, 1 on any failure (with a message on standard error).
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "images/ImageWriters.h"
#include "lws/MotionPath.h"
#include "show/SceneView.h"
#include "show/Show.h"

namespace fs = std::filesystem;
using namespace cm::content;

namespace {

void WriteIfChanged(const fs::path& path, const std::vector<uint8_t>& bytes) {
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == bytes) return;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void Preview(const ShowData& show, const std::string& sceneName, float frame, float fogEnd, const fs::path& dir) {
    const LwsWriter& scene = show.scenes.at(sceneName);
    const cm::Matrix4 view = CameraView(scene, frame);
    Image im(640, 480);
    const Rgb colours[] = {{0.3f, 0.9f, 1.0f}, {0.7f, 0.8f, 1.0f}, {1.0f, 0.7f, 0.3f}, {0.5f, 1.0f, 0.6f}};
    int index = 0;
    for (const LwsItemDef& item : scene.Items()) {
        if (item.kind != LwsItemDef::kObject) continue;
        const LwoWriter& object = show.objects.at(item.objectFile);
        const cm::Vector3 at = EvaluatePosition(item.keys, frame);
        std::vector<ScreenPoint> pts;
        for (const cm::Vector3& p : object.Points()) pts.push_back(Project(view, cm::Vector3(p.x + at.x, p.y + at.y, p.z + at.z)));
        const Rgb c = colours[index++ % 4];
        auto edge = [&](uint32_t a, uint32_t b) {
            const ScreenPoint &p = pts[a], &q = pts[b];
            if (p.depth < kNearPlane || q.depth < kNearPlane) return;
            const float fog = 1 - 0.5f * (p.depth + q.depth) / fogEnd;
            if (fog <= 0) return;
            im.AddLine(p.x, p.y, q.x, q.y, 0.3f, c * (0.5f * fog));
        };
        for (const LwoTriangle& t : object.Triangles()) {
            edge(t.a, t.b);
            edge(t.b, t.c);
            edge(t.c, t.a);
        }
    }
    char name[128];
    std::snprintf(name, sizeof name, "%s_%05d.jpg", FileNameOf(sceneName).c_str(), int(frame));
    WriteIfChanged(dir / name, EncodeJpeg(im));
}

}  // namespace

int main(int argc, char** argv) {
    std::string manifest, preview;
    bool ok = argc >= 2;
    for (int i = 2; ok && i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc) ok = false;
        else if (option == "--manifest") manifest = argv[i + 1];
        else if (option == "--preview") preview = argv[i + 1];
        else ok = false;
    }
    if (!ok) {
        std::fprintf(stderr, "usage: cm-content OUT_DIR [--manifest FILE] [--preview PREVIEW_DIR]\n");
        return 1;
    }
    try {
        const ShowData show = BuildShow();
        const fs::path out(argv[1]);
        fs::create_directories(out);
        std::string list;
        for (const auto& [name, bytes] : show.files) {
            const fs::path path = out / FileNameOf(name);
            WriteIfChanged(path, bytes);
            list += path.string() + "\n";
        }
        if (!manifest.empty()) WriteIfChanged(manifest, std::vector<uint8_t>(list.begin(), list.end()));
        if (!preview.empty()) {
            const fs::path dir(preview);
            fs::create_directories(dir);
            for (float f : {0.0f, 50.0f, 100.0f}) Preview(show, "data\\introScene.lws", f, 1.0f, dir);
            for (float f : {200.0f, 410.0f, 620.0f, 1500.0f, 1650.0f, 1800.0f, 2080.0f, 2300.0f, 2550.0f, 2820.0f,
                            3330.0f})
                Preview(show, "data\\roomScene.lws", f, 5.5f, dir);
            Preview(show, "data\\distort.lws", 0, 100, dir);
            Preview(show, "data\\glassScene.lws", 0, 100, dir);
            Preview(show, "data\\rotoballScene.lws", 0, 0.95f, dir);
            Preview(show, "data\\roto2.lws", 0, 100, dir);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cm-content: %s\n", e.what());
        return 1;
    }
    return 0;
}
