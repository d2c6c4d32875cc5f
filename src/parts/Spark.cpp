#include "parts/Spark.h"

#include "math/Color4.h"
#include "math/Matrix4.h"
#include "parts/ProgramRandom.h"
#include "scene/Camera.h"
#include "scene/LensFlare.h"
#include "scene/Material.h"

#include <cmath>

namespace cm {

float RandomSigned() {
    // 6.103888e-05 is the float nearest 1/16383.
    return float(ProgramRandom() - 16383) * 6.103888e-05f;
}

Vector3 DirectionFromAngles(float pitch, float yaw) {
    const float cp = std::cos(pitch);
    return {-cp * std::sin(yaw), std::sin(pitch), cp * std::cos(yaw)};
}

int64_t SparkStepsDue(int64_t ticks, uint32_t tickMs) {
    if (ticks <= 0) return 0;
    const int64_t scaled = ticks * int64_t(tickMs) * kSparkStepsPerSecond;
    return (scaled + 999) / 1000;
}

SparkPool::SparkPool(int32_t count) : sparks(static_cast<size_t>(count > 0 ? count : 0)) {
    for (size_t i = 0; i + 1 < sparks.size(); ++i) sparks[i].next = &sparks[i + 1];
    freeHead = sparks.empty() ? nullptr : &sparks[0];
}

Spark* SparkPool::Take() {
    Spark* spark = freeHead;
    if (spark != nullptr) freeHead = spark->next;
    return spark;
}

void SparkPool::Give(Spark* spark) {
    if (spark == nullptr) return;
    spark->next = freeHead;
    freeHead = spark;
}

const Spark* SparkPool::GetSpark(int32_t index) const {
    if (index < 0 || index >= GetSize()) return nullptr;
    return &sparks[static_cast<size_t>(index)];
}

SparkEmitter::SparkEmitter(SparkPool& pool_) : pool(&pool_) {}

void SparkEmitter::Spawn() {
    if (pool->GetFreeHead() == nullptr || liveCount >= maxSparks) return;
    Spark* s = pool->Take();
    s->prev = nullptr;
    s->next = head;
    if (head != nullptr) head->prev = s;
    head = s;

    s->position = {0.0f, 0.0f, 0.0f};
    // The random values are drawn in this order: yaw, pitch, speed, grey start, grey end, life.
    const float yaw = yawBase + yawRange * RandomSigned();
    const float pitch = pitchBase + pitchRange * RandomSigned();
    const float speed = speedBase + speedRange * RandomSigned();
    s->velocity.Scale(DirectionFromAngles(pitch, yaw), speed);
    const float start = greyStartBase + greyStartRange * RandomSigned();
    const float end = greyEndBase + greyEndRange * RandomSigned();
    s->grey = start;
    s->life = lifeBase + static_cast<int32_t>(float(lifeRange) * RandomSigned());
    // A fountain configured with no life would divide by zero; such a spark simply keeps its
    // brightness for the one step it lives.
    s->greyStep = s->life > 0 ? (end - start) / float(s->life) : 0.0f;
    ++liveCount;
}

void SparkEmitter::UpdateSpark(Spark* s, float dt) {
    if (s->life > 0) {
        const float ticks = 10.0f * dt;  // clock ticks in this step
        Vector3 step;
        step.Scale(s->velocity, ticks);
        s->position.Add(s->position, step);
        step.Scale(gravity, ticks);
        s->velocity.Add(s->velocity, step);
        s->life -= 1;
        s->grey += s->greyStep;
    } else {
        // Released on the step after its life ran out, so a spark born with life L lives
        // through L + 1 steps.
        if (s->prev != nullptr) {
            s->prev->next = s->next;
        } else {
            head = s->next;
        }
        if (s->next != nullptr) s->next->prev = s->prev;
        pool->Give(s);
        liveCount -= 1;
    }
}

void SparkEmitter::Advance(const Vector3& anchor, float dt) {
    position = anchor;
    for (Spark* s = head; s != nullptr;) {
        Spark* next = s->next;  // UpdateSpark may move s to the free list
        UpdateSpark(s, dt);
        s = next;
    }
    const int32_t n = static_cast<int32_t>(float(spawnRange) * RandomSigned()) + spawnBase;
    for (int32_t i = 0; i < n; ++i) Spawn();
}

void SparkEmitter::Step(const Vector3& anchor, float dt, int64_t steps) {
    position = anchor;
    unsteppedTime += dt;
    if (steps <= 0) return;
    // One step takes the time whole: at one step a frame this is the frame's dt, bit for bit.
    const float share = unsteppedTime / float(steps);
    for (int64_t i = 0; i < steps; ++i) Advance(anchor, share);
    unsteppedTime = 0.0f;
}

void SparkEmitter::Draw(LensFlare& flare, Material& material, const Camera& camera) {
    for (Spark* s = head; s != nullptr; s = s->next) {
        material.SetDiffuse(Color4(s->grey, s->grey, s->grey, 1.0f));
        Vector3 where;
        where.Add(position, s->position);
        flare.matrix.SetIdentity();
        flare.matrix.PostTranslate(flare.matrix, where);
        flare.Update(&camera.inverseMatrix);
        flare.Draw();
    }
}

}  // namespace cm
