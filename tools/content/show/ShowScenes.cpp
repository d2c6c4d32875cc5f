// The show's scenes: which objects each part loads, and how its camera moves.
//
// Cameras always look at a null object (the show's cameras take their view from a target only).
// Paths are sampled from a function of the frame into keys every few frames, with one extra key
// before and after each shown stretch, because the show's channels hold still in their first and
// last segments.
#include <cmath>
#include <functional>

#include "show/Show.h"

namespace cm::content {
namespace {

constexpr float kPi = 3.14159265358979f;

struct Pose {
    Vector3 eye, at;
};
using PathFn = std::function<Pose(float frame)>;

float Smooth(float x) {
    x = std::fmin(1.0f, std::fmax(0.0f, x));
    return x * x * (3 - 2 * x);
}

Vector3 Lerp(const Vector3& a, const Vector3& b, float t) {
    return Vector3(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t);
}

// Keys for camera and target over [from, to], every `step` frames, padded by one step each side.
void SamplePath(const PathFn& path, int from, int to, int step, std::vector<LwsKey>& eye, std::vector<LwsKey>& at) {
    for (int f = from - step; f <= to + step; f += step) {
        const Pose p = path(float(f));
        eye.push_back(PositionKey(f, p.eye.x, p.eye.y, p.eye.z));
        at.push_back(PositionKey(f, p.at.x, p.at.y, p.at.z));
    }
}

std::vector<LwsKey> Still(float x, float y, float z) { return {PositionKey(0, x, y, z)}; }

// Intro: the camera drifts in from 0.98 to 0.62 units off the shells' centre at the world origin,
// swinging from above-left to nearly level, and settles there: the tunnel that follows is seen
// through this last pose, from inside its tubes around the origin.
LwsWriter IntroScene() {
    LwsWriter s(0, 160);
    const PathFn path = [](float f) {
        const float k = Smooth(f / 110.0f);
        const float dist = 0.98f - 0.36f * k;
        const float yaw = (28.0f - 33.0f * k) * kPi / 180.0f, pitch = (22.0f - 18.0f * k) * kPi / 180.0f;
        const Vector3 eye(dist * std::cos(pitch) * std::sin(yaw), dist * std::sin(pitch),
                          -dist * std::cos(pitch) * std::cos(yaw));
        return Pose{eye, Vector3(0, 0, 0)};
    };
    std::vector<LwsKey> eye, at;
    SamplePath(path, 0, 160, 10, eye, at);
    s.AddObject("data\\introGlobe.lwo", Still(0, 0, 0));
    s.AddObject("data\\introCage.lwo", Still(0, 0, 0));
    const int target = s.AddNull(at);
    s.AddCamera(eye, target);
    return s;
}

// Room: three stretches of one animation, each its own view and light of the hall, each ending
// on a dark close view so that the white flash that follows reads as a flash.
//   200..620   (sequence index 4): under the dome, circling an orrery that hangs there and turns,
//              looking down through it; at the end the view lifts to the dark dome close above;
//   1500..2550 (index 2): a circle around the pedestal and its spark fountain, then a glide down
//              the side aisle that sinks toward the floor tiles;
//   2820..3330 (index 6): low along the floor past a ring of glowing ice posts around the
//              pedestal, ending on a pillar close by.
Pose RoomDome(float f) {
    const float k = Smooth((f - 200.0f) / 420.0f);
    const float a = (-150.0f + 110.0f * k) * kPi / 180.0f;
    const Vector3 eye(1.35f * std::cos(a), 2.3f + 0.2f * Smooth((f - 540.0f) / 70.0f), 1.35f * std::sin(a));
    const Vector3 down(0.2f * std::cos(a + kPi), 0.6f, 0.2f * std::sin(a + kPi));
    const Vector3 up(0.9f * std::cos(a + 0.3f), 2.8f, 0.9f * std::sin(a + 0.3f));
    return Pose{eye, Lerp(down, up, Smooth((f - 540.0f) / 70.0f))};
}

Pose RoomCircleAndGlide(float f) {
    // Circle: radius 1.1 around the pedestal, 1.2 high, once round in 600 frames.
    const float a = (f - 1500.0f) / 600.0f * 2 * kPi - kPi / 2;
    const Pose circle{Vector3(1.1f * std::cos(a), 1.2f - 0.15f * std::sin(0.5f * a), 1.1f * std::sin(a)),
                      Vector3(0, 1.0f, 0)};
    // Glide: along x = 0.85 from the near wall toward the far one, looking ahead, then turning
    // back toward the hall's far side as it slows, and sinking to look down at the floor.
    const float g = Smooth((f - 2080.0f) / 470.0f);
    const float z = -2.1f + 3.4f * g;
    const float sink = Smooth((f - 2440.0f) / 100.0f);
    const Pose glide{Vector3(0.85f, 0.9f + 0.5f * g - 1.15f * sink, z),
                     Lerp(Lerp(Vector3(0.2f, 1.1f, z + 2.0f), Vector3(-1.6f, 0.9f, 0.6f), g * g),
                          Vector3(1.0f, 0.0f, z + 0.6f), sink)};
    const float blend = Smooth((f - 2040.0f) / 100.0f);
    return Pose{Lerp(circle.eye, glide.eye, blend), Lerp(circle.at, glide.at, blend)};
}

Pose RoomLampWalk(float f) {
    const float k = Smooth((f - 2820.0f) / 470.0f);
    const float turn = Smooth((f - 3230.0f) / 80.0f);
    const Vector3 eye(1.15f + 0.2f * turn, 0.3f + 0.25f * k, -2.0f + 3.15f * k);
    const Vector3 lamps(0.0f, 0.35f, eye.z + 0.9f);
    const Vector3 pillar(1.75f, 0.15f, 1.75f);  // its foot, on the dark floor
    return Pose{eye, Lerp(lamps, pillar, turn)};
}

// A key that holds still between equal neighbours (tension 1: no overshoot), at a position with a
// heading in degrees.
LwsKey HeldKey(int frame, float x, float y, float z, float heading) {
    LwsKey k = PositionKey(frame, x, y, z);
    k.values[3] = heading;
    k.tension = 1;
    return k;
}

LwsWriter RoomScene() {
    LwsWriter s(0, 3400);
    std::vector<LwsKey> eye, at;
    SamplePath(RoomDome, 200, 620, 30, eye, at);
    SamplePath(RoomCircleAndGlide, 1500, 2550, 25, eye, at);
    SamplePath(RoomLampWalk, 2820, 3330, 30, eye, at);
    s.AddObject("data\\roomHall.lwo", Still(0, 0, 0));
    s.AddObject("data\\roomPillars.lwo", Still(0, 0, 0));
    s.AddObject("data\\roomPedestal.lwo", Still(0, 0, 0));
    // Each visit's own piece: out of sight under the floor while the other visits play.
    constexpr float kAway = -20.0f;
    s.AddObject("data\\roomOrrery.lwo", {HeldKey(0, 0, 1.75f, 0, 0), HeldKey(200, 0, 1.75f, 0, 0),
                                          HeldKey(620, 0, 1.75f, 0, 75), HeldKey(700, 0, 1.75f, 0, 75),
                                          HeldKey(760, 0, kAway, 0, 75)});
    s.AddObject("data\\roomLamps.lwo", {HeldKey(0, 0, kAway, 0, 0), HeldKey(2700, 0, kAway, 0, 0),
                                         HeldKey(2760, 0, 0, 0, 0)});
    const int target = s.AddNull(at);
    s.AddNull(Still(0, 0.9f, 0));  // the spark fountain's anchor, on the pedestal's top
    s.AddCamera(eye, target);
    return s;
}

// A blob scene: the blob at the origin (the part moves it), a null at the origin as the camera's
// target, and a camera that drifts slowly at `distance` units. The distances put each blob at 45
// to 70 pixels of radius on screen at rest (the glass blob swells to twice that); the distort blob
// also bobs 1.5 units toward the camera, and its 2.2 units keep it clear of the near plane even
// then, fully swollen.
LwsWriter BlobScene(const char* object, float distance, float drift, int lastFrame) {
    LwsWriter s(0, lastFrame);
    const PathFn path = [=](float f) {
        const float a = f * 0.004f;
        const Vector3 eye(drift * std::sin(a * 3.0f), 0.1f * distance + drift * 0.5f * std::sin(a * 2.0f),
                          -distance);
        return Pose{eye, Vector3(0, 0, 0)};
    };
    std::vector<LwsKey> eye, at;
    SamplePath(path, 0, lastFrame, 20, eye, at);
    s.AddObject(object, Still(0, 0, 0));
    const int target = s.AddNull(at);
    s.AddCamera(eye, target);
    return s;
}

// Rotoball: two engraved rings at the origin, 0.7 units in front of the camera, so that the
// breathing fog (ending between 0.65 and 0.95) swallows and frees their far halves.
LwsWriter RotoballScene() {
    LwsWriter s(0, 200);
    s.AddObject("data\\rotoRingOuter.lwo", Still(0, 0, 0));
    s.AddObject("data\\rotoRingInner.lwo", Still(0, 0, 0));
    const int target = s.AddNull(Still(0, 0, 0));
    s.AddCamera({PositionKey(0, 0, 0.05f, -0.7f)}, target);
    return s;
}

}  // namespace

void BuildScenes(ShowData& show) {
    show.scenes.emplace("data\\introScene.lws", IntroScene());
    show.scenes.emplace("data\\roomScene.lws", RoomScene());
    show.scenes.emplace("data\\distort.lws", BlobScene("data\\distortBlob.lwo", 2.2f, 0.3f, 200));
    show.scenes.emplace("data\\glassScene.lws", BlobScene("data\\glassBlob.lwo", 1.3f, 0.2f, 300));
    show.scenes.emplace("data\\rotoballScene.lws", RotoballScene());
    show.scenes.emplace("data\\roto2.lws", BlobScene("data\\rotoBlob.lwo", 2.0f, 0.15f, 200));
}

}  // namespace cm::content
