#include "preview/ShowPreview.h"

#include <cmath>
#include <functional>

#include "images/Noise.h"
#include "lws/MotionPath.h"
#include "math/Matrix4.h"
#include "preview/PreviewCanvas.h"
#include "show/SceneView.h"

namespace cm::content {
namespace {

Vector3 Mul(const Vector3& p, const Matrix4& m) {
    return Vector3(p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
                   p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]);
}

// Planar image-map coordinates of a surface (the only projection the show's visible textured
// surfaces use; the blobs' coordinates come from environment mapping instead).
void Planar(const LwoImageMap& m, const Vector3& p, float& u, float& v) {
    const Vector3 q(p.x - m.centre.x, p.y - m.centre.y, p.z - m.centre.z);
    if (m.axisFlags & kAxisZ) {
        u = q.x / m.size.x + 0.5f;
        v = 0.5f - q.y / m.size.y;
    } else if (m.axisFlags & kAxisY) {
        u = q.x / m.size.x + 0.5f;
        v = 0.5f - q.z / m.size.z;
    } else {
        u = q.z / m.size.z + 0.5f;
        v = 0.5f - q.y / m.size.y;
    }
}

struct MeshDraw {
    const LwoWriter* object;
    Matrix4 world;
    std::vector<Vector3> points;    // object space, possibly deformed
    const Image* envMap = nullptr;  // environment-mapped blob
    bool envAdditive = false;
};

struct SceneLook {
    bool depth = false, fog = false, whiteDiffuse = false;
    float fogEnd = 1;
    Rgb fogColour{};
};

void DrawMesh(PreviewCanvas& c, const ShowData& show, const MeshDraw& m, const Matrix4& view, const SceneLook& look) {
    Matrix4 mv;
    mv.Multiply(m.world, view);
    std::vector<PreviewVertex> eye(m.points.size());
    for (size_t i = 0; i < m.points.size(); ++i) eye[i].eye = Mul(m.points[i], mv);
    if (m.envMap) {
        // The show's environment mapping: averaged face normals (p0 - p1) x (p2 - p1), turned
        // into view space, u = (n.x + 1) / 2, v = (n.y + 1) / 2.
        std::vector<Vector3> n(m.points.size(), Vector3(0, 0, 0));
        std::vector<float> count(m.points.size(), 0);
        for (const LwoTriangle& t : m.object->Triangles()) {
            const Vector3 &p0 = m.points[t.a], &p1 = m.points[t.b], &p2 = m.points[t.c];
            Vector3 f;
            f.Cross(Vector3(p0.x - p1.x, p0.y - p1.y, p0.z - p1.z), Vector3(p2.x - p1.x, p2.y - p1.y, p2.z - p1.z));
            f.Normalize(f);
            for (uint32_t i : {t.a, t.b, t.c}) {
                n[i] = Vector3(n[i].x + f.x, n[i].y + f.y, n[i].z + f.z);
                count[i] += 1;
            }
        }
        for (size_t i = 0; i < n.size(); ++i) {
            Vector3 vn(n[i].x / count[i], n[i].y / count[i], n[i].z / count[i]);
            mv.TransformNormal(vn, vn);
            eye[i].u = (vn.x + 1) * 0.5f;
            eye[i].v = (vn.y + 1) * 0.5f;
        }
    }
    for (const LwoTriangle& t : m.object->Triangles()) {
        const LwoSurfaceDef& s = m.object->Surfaces()[t.surface - 1];
        PreviewState st;
        st.depthTest = look.depth;
        st.fog = look.fog;
        st.fogEnd = look.fogEnd;
        st.fogColour = look.fogColour;
        st.additive = (s.flags & kSurfaceAdditive) || (m.envMap && m.envAdditive);
        st.cull = !(s.flags & kSurfaceDoubleSided);
        st.colour = look.whiteDiffuse ? Rgb{1, 1, 1} : Rgb{s.red / 255.0f, s.green / 255.0f, s.blue / 255.0f};
        PreviewVertex v[3] = {eye[t.a], eye[t.b], eye[t.c]};
        if (m.envMap) {
            st.texture = m.envMap;
        } else if (s.textured) {
            st.texture = &show.images.at(s.colourMap.image);
            const uint32_t idx[3] = {t.a, t.b, t.c};
            for (int k = 0; k < 3; ++k) Planar(s.colourMap, m.object->Points()[idx[k]], v[k].u, v[k].v);
        }
        c.Triangle(v[0], v[1], v[2], st);
    }
}

// The scene's meshes at a frame, each with optional hand-set angles replacing its keys.
std::vector<MeshDraw> Meshes(const ShowData& show, const LwsWriter& scene, float frame,
                             const std::vector<Vector3>& angles = {}) {
    std::vector<MeshDraw> out;
    for (const LwsItemDef& item : scene.Items()) {
        if (item.kind != LwsItemDef::kObject) continue;
        MeshDraw m;
        m.object = &show.objects.at(item.objectFile);
        m.points = m.object->Points();
        const Vector3 a = out.size() < angles.size() ? angles[out.size()] : Vector3(0, 0, 0);
        m.world.SetRotationAngles(a.x, a.y, a.z);
        m.world.PostTranslate(m.world, EvaluatePosition(item.keys, frame));
        out.push_back(m);
    }
    return out;
}

struct BlobParams {
    float fph, ax, fx, ay, fy, az, fz, ka, fa, kb, cx, cy, cz;
};
constexpr BlobParams kDistort{0.005f, 0.5f, 0.23f, 0.5f, 0.21f, 0.5f, 0.11f, 0.05f, 0.1f, 0.1f, 3.2f, 2, 4.9f};
constexpr BlobParams kGlass{0.0035f, 0.5f, 0.13f, 0.4f, 0.11f, 0.3f, 0.14f, 0.08f, 0.06f, 0.3f, 3.2f, 4, 4.9f};
constexpr BlobParams kRoto{0.0035f, 0.5f, 0.13f, 0.4f, 0.11f, 0.3f, 0.14f, 0.04f, 0.06f, 0.15f, 3.2f, 4, 3.9f};

void Deform(MeshDraw& m, const BlobParams& p, double T) {
    const double ph = 32 * std::sin(p.fph * T) - 32;
    const double sx = (p.ax * std::sin(p.fx * T) + 1) / (3 * std::sin(0.08 * T) + 5);
    const double sy = (p.ay * std::cos(p.fy * T) + 1) / (3.5 * std::sin(0.04 * T) + 4);
    const double sz = (p.az * std::sin(p.fz * T) + 1) / (3 * std::sin(0.063 * T) + 5);
    const double amp = p.ka * std::sin(p.fa * T) + p.kb;
    for (size_t i = 0; i < m.points.size(); ++i) {
        const Vector3& r = m.object->Points()[i];
        const double k = 1 + amp * (std::sin(r.z / sz + p.cz * ph) + std::sin(r.y / sy + p.cy * ph) +
                                    std::sin(r.x / sx + p.cx * ph));
        m.points[i] = Vector3(float(r.x * k), float(r.y * k), float(r.z * k));
    }
}

// The warp tube: five rings along z, 50 angular steps, radius 40 with two travelling ripples.
struct Tube {
    std::function<Vector3(float)> axis;
    float angle, scroll;
};

void DrawTube(PreviewCanvas& c, const Tube& tube, const Image& texture, float a, const Matrix4& view) {
    auto ring = [&](float k) {
        const float s = float(0.2 * std::sin(5.0 * a));
        const double r = 40.0 * (1 + 0.2 * std::cos(4.0 * a) * std::cos((3 * k - 40 * a) * double(0.06284f)) +
                                 s * std::cos((2 * k - 60 * a) * double(0.06284f)));
        const double th = k * 0.06283185307179587;
        return Vector3(float(r * std::cos(th)), float(r * std::sin(th)), 0);
    };
    Matrix4 w, mv;
    w.SetRotationAxis(tube.axis(a), tube.angle);
    mv.Multiply(w, view);
    const float e = a * tube.scroll;
    const float zs[5] = {-700, -200, 0, 200, 700}, vs[5] = {e - 0.2f, e - 0.1f, e, e + 0.1f, e + 0.2f};
    PreviewState st;
    st.texture = &texture;
    st.additive = true;
    for (int k = 0; k < 100; k += 2) {
        const Vector3 P = ring(float(k)), Q = ring(float(k + 2));
        for (int q = 0; q < 4; ++q) {
            auto vert = [&](const Vector3& p, int ringIndex, float u) {
                PreviewVertex v;
                v.eye = Mul(Vector3(p.x, p.y, zs[ringIndex]), mv);
                v.u = u;
                v.v = vs[ringIndex];
                return v;
            };
            const PreviewVertex a0 = vert(P, q, 0.01f * float(k)), a1 = vert(Q, q, 0.01f * float(k + 2));
            const PreviewVertex b0 = vert(P, q + 1, 0.01f * float(k)), b1 = vert(Q, q + 1, 0.01f * float(k + 2));
            c.Triangle(a0, a1, b1, st);
            c.Triangle(a0, b1, b0, st);
        }
    }
}

const Tube kTunnelTube{[](float a) { return Vector3(std::cos(3 * a), std::sin(2 * a), std::cos(0.25f * a)); }, 10, 0.2f};
const Tube kDistortTube{[](float a) { return Vector3(20, std::sin(2 * a), std::cos(a)); }, 20, 0.2f};
const Tube kGlassTube{[](float a) { return Vector3(15, 1, std::sin(3 * a)); }, 40, 0.1f};

Matrix4 LookAt(const Vector3& eye) {
    Matrix4 m;
    m.LookAt(eye, Vector3(0, 0, 0), 0, Vector3(0, 1, 0));
    return m;
}

void Room(PreviewCanvas& c, const ShowData& show, float frame, Rgb fog, bool sparks) {
    const LwsWriter& scene = show.scenes.at("data\\roomScene.lws");
    const Matrix4 view = CameraView(scene, frame);
    SceneLook look{true, true, true, 5.5f, fog};
    for (const MeshDraw& m : Meshes(show, scene, frame)) DrawMesh(c, show, m, view, look);
    if (!sparks) return;
    // A still of the fountain: sparks of every age along their arcs (speed 0.05 +- 0.03 per tick
    // in a 13 degree cone, gravity 0.001 per tick squared, about 1.2 ticks per frame at 60 Hz).
    Vector3 anchor(0, 0, 0);
    int nulls = 0;
    for (const LwsItemDef& item : scene.Items())
        if (item.kind == LwsItemDef::kNull && ++nulls == 2) anchor = EvaluatePosition(item.keys, frame);
    Rng rng(77);
    const Image& flare = show.images.at("data\\roomFlare_1.jpg");
    for (int i = 0; i < 250; ++i) {
        const float yaw = rng.Range(0, 6.2831855f), pitch = 1.5707964f + 0.2268928f * rng.Range(-1, 1);
        const float speed = 0.05f + 0.03f * rng.Range(-1, 1), n = rng.Range(0, 110) * 1.2f;
        const Vector3 dir(-std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw));
        const Vector3 p(anchor.x + dir.x * speed * n, anchor.y + dir.y * speed * n - 0.0005f * n * n,
                        anchor.z + dir.z * speed * n);
        const ScreenPoint s = Project(view, p);
        if (s.depth < 0.08f) continue;
        const float half = 0.06f * 256 / s.depth, grey = 1 - n / 132;
        Image tinted = flare;
        tinted.Scale(grey);
        c.Quad(s.x - half, s.y - half, s.x + half, s.y + half, tinted, true);
    }
}

}  // namespace

Image PreviewPart(const ShowData& show, int part, float t) {
    PreviewCanvas c;
    auto image = [&](const char* n) -> const Image& { return show.images.at(n); };
    switch (part) {
    case 0:
    case 1: {
        const LwsWriter& scene = show.scenes.at("data\\introScene.lws");
        if (part == 1) {  // the tunnel, seen through the intro's last view
            const Matrix4 view = CameraView(scene, 100);
            DrawTube(c, kTunnelTube, image("data\\tunnelTexture.jpg"), 0.04f * t, view);
            DrawTube(c, kTunnelTube, image("data\\tunnelTexture.jpg"), 0.03f * (t + 200), view);
            c.Quad(0, 0, 640, 480, image("data\\tunnelBackground.jpg"), true);
            break;
        }
        const auto meshes = Meshes(show, scene, t, {{-0.063f * t, -0.05f * t, 0.04f * t}, {-0.043f * t, 0.02f * t, -0.05f * t}});
        for (const MeshDraw& m : meshes) DrawMesh(c, show, m, CameraView(scene, t), SceneLook{false, true, false, 1.0f, {}});
        const float a = float(std::sin(0.15 * t) * 20), b = a * 0.7058824f;
        c.Quad(192 - a, 176 - b, 448 + a, 304 + b, image("data\\introLogo.jpg"), true);
        break;
    }
    case 2:
        Room(c, show, 6 * t + 1500, {1, 1, 1}, true);
        break;
    case 4:
    case 6: {
        const bool grey = part == 6;
        const float frame = 6 * t + (grey ? 2820.0f : 200.0f);
        Room(c, show, frame, grey ? Rgb{0.75f, 0.75f, 0.75f} : Rgb{1, 1, 1}, false);
        const Matrix4 view = grey ? LookAt(Vector3(1, -1.5f, -6)) : CameraView(show.scenes.at("data\\roomScene.lws"), frame);
        DrawTube(c, kDistortTube, image("data\\distortTexture01.jpg"), 0.02f * (t + 300), view);
        break;
    }
    case 3: {
        const LwsWriter& scene = show.scenes.at("data\\distort.lws");
        const Matrix4 view = CameraView(scene, t);
        DrawTube(c, kDistortTube, image("data\\distortTexture01.jpg"), 0.05f * t, view);
        DrawTube(c, kDistortTube, image("data\\distortTexture01.jpg"), 0.02f * (t + 300), view);
        c.Quad(0, 0, 640, 480, image("data\\distortBackground.jpg"), true);
        auto meshes = Meshes(show, scene, t);
        meshes[0].world.SetRotationAngles(0.1f * t, 0.1f * t, 0.1f * t);
        meshes[0].world.PostTranslate(meshes[0].world, Vector3(0, 0, float(1.5 * std::sin(0.1 * t))));
        Deform(meshes[0], kDistort, t);
        meshes[0].envMap = &image("data\\distortEnv.jpg");
        meshes[0].envAdditive = true;
        DrawMesh(c, show, meshes[0], view, SceneLook{true, false, false, 1, {}});
        break;
    }
    case 5: {
        const LwsWriter& scene = show.scenes.at("data\\glassScene.lws");
        auto meshes = Meshes(show, scene, t);
        meshes[0].world.SetRotationAngles(0.03f * t, -0.05f * t, 0.04f * t);
        Deform(meshes[0], kGlass, t);
        meshes[0].envMap = &image("data\\glassEnv.jpg");
        DrawMesh(c, show, meshes[0], CameraView(scene, t), SceneLook{true, false, false, 1, {}});
        c.Quad(0, 0, 640, 480, image("data\\glassBackground.jpg"), true);
        DrawTube(c, kGlassTube, image("data\\glassTexture01.jpg"), 0.04f * (t + 100), LookAt(Vector3(2, 1, -7)));
        break;
    }
    case 7: {
        c.Quad(0, 0, 640, 480, image("data\\rotoball.jpg"), false);
        const LwsWriter& rings = show.scenes.at("data\\rotoballScene.lws");
        const float fogEnd = float(0.15 * std::sin(0.1 * t) + 0.8);
        for (const MeshDraw& m : Meshes(show, rings, t, {{-0.063f * t, 0.05f * t, 0.04f * t}, {0.043f * t, 0.05f * t, -0.06f * t}}))
            DrawMesh(c, show, m, CameraView(rings, t), SceneLook{false, true, false, fogEnd, {}});
        const LwsWriter& scene = show.scenes.at("data\\roto2.lws");
        auto meshes = Meshes(show, scene, t);
        meshes[0].world.SetRotationAngles(0.03f * t, -0.05f * t, 0.04f * t);
        Deform(meshes[0], kRoto, t);
        meshes[0].envMap = &image("data\\rotoEnv.jpg");
        DrawMesh(c, show, meshes[0], CameraView(scene, t), SceneLook{true, false, false, 1, {}});
        break;
    }
    default: {
        const float y = 480 - 4 * t;
        c.Quad(0, y, 640, y + 960, image("data\\scroll.jpg"), false);
        c.Quad(0, 0, 640, 480, image("data\\endBackground.jpg"), true);
        break;
    }
    }
    return c.Pixels();
}

}  // namespace cm::content
