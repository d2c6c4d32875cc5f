// The spark fountain of the first room part: up to 250 short-lived, camera-facing sparks that
// leave an anchor point upward inside a narrow cone, fall back under gravity and fade.
//
// Sparks live in a pool allocated once. Free sparks form a singly linked free list; live ones
// a doubly linked list headed by the emitter, newest first. Spawning and releasing only relink
// pool entries. Velocities are in scene units per clock tick (0.1 clock units), so a frame of
// dt clock units moves a spark by 10 * dt * velocity; life and brightness step once per frame.
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
    int32_t life = 0;       // frames left to live
    float grey = 0.0f;      // current brightness
    float greyStep = 0.0f;  // brightness change per frame
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

class SparkEmitter {
public:
    // The room's fountain: see the values below. pool must outlive the emitter.
    explicit SparkEmitter(SparkPool& pool);

    // Starts one spark at the emitter's origin, unless no spark is free or maxSparks are live.
    void Spawn();
    // One frame of one live spark: moved, aged and dimmed while it has life; released (back to
    // the pool) on the frame after its life ran out. Released means at life 0 or below: a
    // fountain configured with a negative life drops such sparks on their first update instead
    // of counting down forever (the room's values never give one).
    void UpdateSpark(Spark* spark, float dt);
    // Anchors the fountain at anchor, updates every live spark, then starts 5 to 25 new ones.
    void Advance(const Vector3& anchor, float dt);
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
};

}  // namespace cm
