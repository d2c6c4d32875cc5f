// The spark fountain of the first room part: up to 250 short-lived, camera-facing sparks that
// leave an anchor point upward inside a narrow cone, fall back under gravity and fade.
//
// Sparks live in a pool allocated once. Free sparks form a singly linked free list; live ones
// a doubly linked list headed by the emitter, newest first. Spawning and releasing only relink
// pool entries. Velocities are in scene units per clock tick (0.1 clock units), so a step of
// dt clock units moves a spark by 10 * dt * velocity.
//
// The fountain's life, brightness and spawning count steps, and it was shaped for sixty of them
// a second. Stepping once per drawn frame would make it a short dense tuft at hundreds of frames
// a second and nearly empty at a few, so it steps by show time instead: one step per 1/60 s of
// show time, as many in a drawn frame as have fallen due (none when none has), the frame's time
// shared between them. At sixty frames a second that is one step per frame with the frame's own
// time, exactly as stepping per frame.
#pragma once

#include "math/Vector3.h"

#include <cstdint>
#include <vector>

namespace cm {

class Camera;
class LensFlare;
class Material;

struct Spark {
    Spark* next = nullptr;  // next in the emitter's list, or next free spark
    Spark* prev = nullptr;  // previous in the emitter's list; meaningless while free
    Vector3 position;       // relative to the emitter
    Vector3 velocity;       // units per clock tick
    int32_t life = 0;       // steps left to live
    float grey = 0.0f;      // current brightness
    float greyStep = 0.0f;  // brightness change per step
};

// A fresh value of the program's generator mapped onto [-1, 1.00006]: (g - 16383) / 16383.
float RandomSigned();
// Unit direction for an elevation (pitch) and a horizontal angle (yaw), radians:
// (-cos pitch * sin yaw, sin pitch, cos pitch * cos yaw).
Vector3 DirectionFromAngles(float pitch, float yaw);

// The pool: its sparks and the free list. Sparks never move in memory.
class SparkPool {
public:
    // Allocates count sparks, all free, chained in index order.
    explicit SparkPool(int32_t count);
    SparkPool(const SparkPool&) = delete;
    SparkPool& operator=(const SparkPool&) = delete;

    // Takes the first free spark off the list; null when none is free.
    Spark* Take();
    // Pushes a spark onto the front of the free list.
    void Give(Spark* spark);
    Spark* GetFreeHead() const { return freeHead; }
    int32_t GetSize() const { return static_cast<int32_t>(sparks.size()); }
    const Spark* GetSpark(int32_t index) const;

private:
    std::vector<Spark> sparks;
    Spark* freeHead = nullptr;
};

// Fountain steps per second of show time.
constexpr int64_t kSparkStepsPerSecond = 60;
// The steps that have begun by a clock of `ticks` whole ticks of tickMs milliseconds each:
// ceil(ticks * tickMs * 60 / 1000). A frame whose clock moved from ticks a to b is due
// SparkStepsDue(b) - SparkStepsDue(a) steps; a negative or zero tick count has none.
int64_t SparkStepsDue(int64_t ticks, uint32_t tickMs);

class SparkEmitter {
public:
    // The room's fountain: see the values below. pool must outlive the emitter.
    explicit SparkEmitter(SparkPool& pool);

    // Starts one spark at the emitter's origin, unless no spark is free or maxSparks are live.
    void Spawn();
    // One step of one live spark: moved, aged and dimmed while it has life; released (back to
    // the pool) on the step after its life ran out. Released means at life 0 or below: a
    // fountain configured with a negative life drops such sparks on their first update instead
    // of counting down forever (the room's values never give one).
    void UpdateSpark(Spark* spark, float dt);
    // One step: anchors the fountain at anchor, updates every live spark, then starts 5 to 25
    // new ones.
    void Advance(const Vector3& anchor, float dt);
    // One drawn frame of dt clock units in which `steps` steps fell due: anchors the fountain,
    // then takes the steps, sharing between them dt and the time of earlier frames that had no
    // step, so that the sparks move by all the time that passed.
    void Step(const Vector3& anchor, float dt, int64_t steps);
    // Draws every live spark through the billboard flare, its material tinted by the spark's
    // grey, facing camera.
    void Draw(LensFlare& flare, Material& material, const Camera& camera);

    Vector3 position;  // where the sparks are anchored
    float yawBase = 0.0f, yawRange = 6.2831855f;
    float pitchBase = 1.5707964f, pitchRange = 0.2268928f;  // straight up, 13 degrees either way
    float speedBase = 0.05f, speedRange = 0.03f;
    Spark* head = nullptr;
    int32_t maxSparks = 250;
    int32_t liveCount = 0;
    int32_t spawnBase = 15, spawnRange = 10;
    int32_t lifeBase = 90, lifeRange = 25;
    float greyStartBase = 1.0f, greyStartRange = 0.1f;
    float greyEndBase = 0.0f, greyEndRange = 0.1f;
    Vector3 gravity{0.0f, -0.001f, 0.0f};

private:
    SparkPool* pool;
    float unsteppedTime = 0.0f;  // clock units of frames without a step
};

}  // namespace cm
