#include "lws/MotionPath.h"

namespace cm::content {

float EvaluateMotion(const std::vector<LwsKey>& keys, float time, int i) {
    const size_t n = keys.size();
    if (n == 1 || time < float(keys[0].frame)) return keys[0].values[i];
    size_t k1 = 0;
    while (k1 + 1 < n && float(keys[k1 + 1].frame) <= time) ++k1;
    if (k1 + 1 >= n) return keys[k1].values[i];
    const size_t k2 = k1 + 1;
    if (k1 == 0) return keys[k2].values[i];
    if (k2 + 1 >= n) return keys[k1].values[i];
    const LwsKey& K0 = keys[k1 - 1];
    const LwsKey& K1 = keys[k1];
    const LwsKey& K2 = keys[k2];
    const LwsKey& K3 = keys[k2 + 1];
    const float t0 = float(K0.frame), t1 = float(K1.frame), t2 = float(K2.frame), t3 = float(K3.frame);
    const float s = (time - t1) / (t2 - t1);
    const float s2 = s * s, s3 = s2 * s;
    const float h1 = 2 * s3 - 3 * s2 + 1, h2 = -2 * s3 + 3 * s2, h3 = s3 - 2 * s2 + s, h4 = s3 - s2;
    const float a1 = (1 - K1.tension) * (1 + K1.continuity) * (1 + K1.bias);
    const float b1 = (1 - K1.tension) * (1 - K1.continuity) * (1 - K1.bias);
    const float a2 = (1 - K2.tension) * (1 - K2.continuity) * (1 + K2.bias);
    const float b2 = (1 - K2.tension) * (1 + K2.continuity) * (1 - K2.bias);
    const float r1 = (t2 - t1) / (t2 - t0), r2 = (t2 - t1) / (t3 - t1);
    const float p0 = K0.values[i], p1 = K1.values[i], p2 = K2.values[i], p3 = K3.values[i];
    return h1 * p1 + h2 * p2 + h3 * r1 * (a1 * (p1 - p0) + b1 * (p2 - p1)) +
           h4 * r2 * (a2 * (p2 - p1) + b2 * (p3 - p2));
}

Vector3 EvaluatePosition(const std::vector<LwsKey>& keys, float t) {
    return Vector3(EvaluateMotion(keys, t, 0), EvaluateMotion(keys, t, 1), EvaluateMotion(keys, t, 2));
}

}  // namespace cm::content
