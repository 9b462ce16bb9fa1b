#include "RoadScene.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Rng.h"

namespace mkcard {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kTexBits = 9;
constexpr int kTexSize = 1 << kTexBits;
constexpr int kLevels = kTexBits + 1;
// Ground covered by one texel of the finest level, in metres.
constexpr double kTexelMetres = 0.012;

// Tileable fractal value noise with box-filtered smaller levels, so that
// distant ground is sampled at its own scale (as a lens blurs it) instead of
// shimmering from picture to picture.
struct Texture {
    std::vector<uint8_t> level[kLevels];  // level k is (kTexSize >> k) squared
};

Texture makeTexture() {
    Rng rng(0x70AD5CE7Eull);
    std::vector<float> sum(static_cast<size_t>(kTexSize) * kTexSize, 0.0f);
    // Octave weights from the coarsest (64-texel cells) to the finest: mostly
    // grain, with mild blotches.
    static const float kWeights[] = {0.3f, 0.4f, 0.55f, 0.75f, 1.0f, 1.0f, 0.9f};
    int octave = 0;
    for (int cell = 64; cell >= 1; cell /= 2, ++octave) {
        const float amplitude = kWeights[octave];
        const int n = kTexSize / cell;
        std::vector<float> lattice(static_cast<size_t>(n) * n);
        for (float& v : lattice) {
            v = static_cast<float>(rng.uniform()) - 0.5f;
        }
        for (int y = 0; y < kTexSize; ++y) {
            const int gy = y / cell;
            float fy = static_cast<float>(y % cell) / static_cast<float>(cell);
            fy = fy * fy * (3.0f - 2.0f * fy);
            const float* r0 = &lattice[static_cast<size_t>(gy) * n];
            const float* r1 = &lattice[static_cast<size_t>((gy + 1) % n) * n];
            for (int x = 0; x < kTexSize; ++x) {
                const int gx = x / cell;
                const int gx1 = (gx + 1) % n;
                float fx = static_cast<float>(x % cell) / static_cast<float>(cell);
                fx = fx * fx * (3.0f - 2.0f * fx);
                const float top = r0[gx] + (r0[gx1] - r0[gx]) * fx;
                const float bottom = r1[gx] + (r1[gx1] - r1[gx]) * fx;
                sum[static_cast<size_t>(y) * kTexSize + x] += amplitude * (top + (bottom - top) * fy);
            }
        }
    }
    double mean = 0.0;
    double square = 0.0;
    for (float v : sum) {
        mean += v;
        square += static_cast<double>(v) * v;
    }
    mean /= static_cast<double>(sum.size());
    const double deviation =
        std::sqrt(std::max(1e-12, square / static_cast<double>(sum.size()) - mean * mean));
    Texture t;
    t.level[0].resize(sum.size());
    for (size_t i = 0; i < sum.size(); ++i) {
        const double z = (sum[i] - mean) / deviation;
        t.level[0][i] = static_cast<uint8_t>(std::clamp(128.0 + 42.0 * z, 0.0, 255.0));
    }
    for (int k = 1; k < kLevels; ++k) {
        const int n = kTexSize >> k;
        const std::vector<uint8_t>& up = t.level[k - 1];
        std::vector<uint8_t>& out = t.level[k];
        out.resize(static_cast<size_t>(n) * n);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const size_t a = static_cast<size_t>(2 * y) * (2 * n) + 2 * x;
                out[static_cast<size_t>(y) * n + x] = static_cast<uint8_t>(
                    (up[a] + up[a + 1] + up[a + 2 * n] + up[a + 2 * n + 1] + 2) / 4);
            }
        }
    }
    return t;
}

const Texture& texture() {
    static const Texture t = makeTexture();
    return t;
}

struct Material {
    int value[3];  // mean Y, U, V
    int swing[3];  // texture amplitude per plane, 128 = the texture's own
    int offset;    // texel offset, so that neighbouring materials differ in grain
};

const Material kAsphalt{{86, 128, 129}, {80, 3, 3}, 0};
const Material kLine{{200, 128, 126}, {36, 2, 2}, 97};
const Material kGravel{{126, 121, 134}, {120, 6, 6}, 211};
const Material kGrass{{90, 102, 112}, {110, 10, 8}, 333};
const Material kTrees{{56, 112, 122}, {100, 8, 6}, 157};

int clampByte(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Everything that moves, for one picture of one channel.
struct Camera {
    int width = 0;
    int height = 0;
    double focal = 0.0;     // pixels
    double height_m = 0.0;  // above the road
    double horizon = 0.0;   // luma row of the horizon
    double centre = 0.0;    // luma column straight ahead (drifts with the bends)
    double lateral = 0.0;   // camera's distance from the centre line, metres
    double curve = 0.0;     // the road's lateral offset grows by curve * z^2
    double travelled = 0.0; // metres along the road
    int direction = 1;      // 1 facing forward, -1 facing backward
    double seconds = 0.0;
};

Camera cameraFor(const YuvPicture& p, int channel, int64_t frameNumber, int fps) {
    Camera c;
    c.width = p.width;
    c.height = p.height;
    const double t = static_cast<double>(frameNumber) / std::max(1, fps);
    const double phase = 2.39 * channel;
    c.seconds = t;
    c.focal = 0.85 * p.width;
    c.height_m = 1.25 + 0.1 * (channel % 3);
    c.direction = channel % 2 == 0 ? 1 : -1;
    c.lateral = c.direction * 1.75 + 0.25 * std::sin(kTwoPi * t / 11.0 + phase);
    // Speed 17 m/s give or take 4, integrated.
    c.travelled = 17.0 * t - 4.0 * 37.0 / kTwoPi * std::cos(kTwoPi * t / 37.0 + phase);
    c.centre = p.width * (0.5 + 0.10 * std::sin(kTwoPi * t / 29.0 + phase) +
                          0.04 * std::sin(kTwoPi * t / 9.7 + 2.0 * phase));
    c.curve = 0.0006 * std::sin(kTwoPi * t / 29.0 + phase + 0.8);
    c.horizon = p.height * (0.45 + 0.004 * std::sin(kTwoPi * 1.3 * t + phase) +
                            0.002 * std::sin(kTwoPi * 3.1 * t));
    return c;
}

// Fills [x0, x1) of a row with a texture row at u (16.16 fixed point, in
// texels of `mask + 1` wide rows) stepping by du, blended towards `haze` by
// hazeWeight / 256.
void texturedSpan(uint8_t* row, int x0, int x1, const uint8_t* texRow, int mask, int64_t u,
                  int64_t du, int value, int swing, int haze, int hazeWeight) {
    const int keep = 256 - hazeWeight;
    const int hazed = haze * hazeWeight;
    u += du * x0;
    for (int x = x0; x < x1; ++x, u += du) {
        const int t = texRow[(u >> 16) & mask] - 128;
        const int v = value + ((t * swing) >> 7);
        row[x] = static_cast<uint8_t>(clampByte((v * keep + hazed) >> 8));
    }
}

// One row of ground. `scale` is 1 for luma and 2 for chroma; `plane` selects
// which value of the materials is painted.
void groundRow(const Camera& c, uint8_t* row, int pixels, int scale, int plane, double rowCentre) {
    const double d = rowCentre - c.horizon;
    const double z = c.height_m * c.focal / d;  // distance along the road, metres
    const double metresPerPixel = z / c.focal * scale;
    const double along = c.travelled + c.direction * z;
    // Texture level: the larger of the sideways and the along-the-road
    // footprint of a pixel, as a lens would blur it.
    const double deep = z * z / (c.height_m * c.focal) * scale;
    const double footprint =
        std::max(metresPerPixel, 0.5 * deep) / kTexelMetres * (plane == 0 ? 1.0 : 2.0);
    int level = 0;
    while (level + 1 < kLevels && (1 << level) < footprint) {
        ++level;
    }
    const int size = kTexSize >> level;
    const int mask = size - 1;
    const double texel = kTexelMetres * (1 << level);
    const int64_t vIndex = static_cast<int64_t>(std::floor(along / texel));
    const std::vector<uint8_t>& tex = texture().level[level];

    // Haze: far ground fades towards the horizon's brightness.
    const int hazeWeight = static_cast<int>(std::min(220.0, 256.0 * z / (z + 160.0)));
    const int hazeValue[3] = {172, 134, 122};

    // World x of pixel centre i: x0 + i * metresPerPixel.
    const double shift = c.lateral + c.curve * z * z;
    const double x0 = ((0.5 * scale) - c.centre) / c.focal * z + shift;
    const int64_t du =
        static_cast<int64_t>(std::llround(metresPerPixel / texel * 65536.0));
    // A large multiple of every row width keeps the fixed-point u positive.
    const int64_t bias = int64_t{1} << 40;

    const double dashPhase = along - 12.0 * std::floor(along / 12.0);
    const bool dash = dashPhase < 4.0;
    static const double kEdges[] = {-4.6, -3.6, -3.45, -0.06, 0.06, 3.45, 3.6, 4.6};
    const Material* materials[] = {&kGrass,   &kGravel,                &kLine,
                                   &kAsphalt, dash ? &kLine : &kAsphalt, &kAsphalt,
                                   &kLine,    &kGravel,                &kGrass};
    int from = 0;
    for (int s = 0; s < 9; ++s) {
        int to = pixels;
        if (s < 8) {
            const double edge = (kEdges[s] - x0) / metresPerPixel;
            to = static_cast<int>(std::clamp(std::ceil(edge), 0.0, static_cast<double>(pixels)));
        }
        if (to > from) {
            const Material& m = *materials[s];
            const int64_t vRow = (vIndex + m.offset) & mask;
            const int64_t u = bias + static_cast<int64_t>(std::llround(x0 / texel * 65536.0)) +
                              (int64_t{m.offset} << 16);
            texturedSpan(row, from, to, &tex[static_cast<size_t>(vRow) * size], mask, u, du,
                         m.value[plane], m.swing[plane], hazeValue[plane], hazeWeight);
        }
        from = std::max(from, to);
    }
}

// One row above the horizon: sky with clouds drifting by, and the tree line
// whose top is given per pixel (in rows of this plane).
void skyRow(const Camera& c, uint8_t* row, int pixels, int scale, int plane, double rowCentre,
            const std::vector<double>& treeTop) {
    const Texture& tex = texture();
    const double height = std::max(1.0, c.horizon);
    const double up = std::clamp(rowCentre / height, 0.0, 1.0);
    const int skyValue[3] = {static_cast<int>(150 + 30 * up), 142 - static_cast<int>(8 * up), 118};
    const int cloudSwing[3] = {80, -12, 4};
    // Clouds: the coarse level, smoothly interpolated and stretched sideways,
    // drifting with the bends and the wind.
    const int cloudLevel = 4;
    const int cloudSize = kTexSize >> cloudLevel;
    const int cloudMask = cloudSize - 1;
    const double cloudV = rowCentre / (0.02 * c.height) + c.seconds * 0.05;
    const int cloudRow = static_cast<int>(std::floor(cloudV));
    const int cloudFy = static_cast<int>((cloudV - cloudRow) * 256.0);
    const uint8_t* cloudsA =
        &tex.level[cloudLevel][static_cast<size_t>(cloudRow & cloudMask) * cloudSize];
    const uint8_t* cloudsB =
        &tex.level[cloudLevel][static_cast<size_t>((cloudRow + 1) & cloudMask) * cloudSize];
    const double cloudShift = c.centre + c.seconds * 0.004 * c.width;
    const double cloudStep = 1.0 / (0.03 * c.width);
    // Trees: level 1, sampled by the same drift as the horizon.
    const int treeLevel = plane == 0 ? 1 : 2;
    const int treeSize = kTexSize >> treeLevel;
    const int64_t treeRow = static_cast<int64_t>(rowCentre / scale) & (treeSize - 1);
    const uint8_t* trees = &tex.level[treeLevel][static_cast<size_t>(treeRow) * treeSize];
    for (int x = 0; x < pixels; ++x) {
        const double xc = (x + 0.5) * scale;
        if (rowCentre >= treeTop[static_cast<size_t>(x)]) {
            const int i = static_cast<int>(std::floor((xc - c.centre) / scale)) & (treeSize - 1);
            const int v = kTrees.value[plane] + (((trees[i] - 128) * kTrees.swing[plane]) >> 7);
            row[x] = static_cast<uint8_t>(clampByte(v));
        } else {
            const double u = (xc - cloudShift) * cloudStep;
            const int i = static_cast<int>(std::floor(u));
            const int fx = static_cast<int>((u - i) * 256.0);
            const int a = cloudsA[i & cloudMask] * (256 - fx) + cloudsA[(i + 1) & cloudMask] * fx;
            const int b = cloudsB[i & cloudMask] * (256 - fx) + cloudsB[(i + 1) & cloudMask] * fx;
            const int cloud = (a * (256 - cloudFy) + b * cloudFy) >> 16;
            const int t = std::max(0, (cloud - 128) * 2);
            row[x] = static_cast<uint8_t>(clampByte(skyValue[plane] + ((t * cloudSwing[plane]) >> 6)));
        }
    }
}

// The bonnet: dark, with a soft reflection, fixed to the camera.
bool bonnetRow(const Camera& c, uint8_t* row, int pixels, int scale, int plane, double rowCentre) {
    const double top = c.height * 0.91;
    if (rowCentre < top - 0.04 * c.height) {
        return false;
    }
    bool any = false;
    for (int x = 0; x < pixels; ++x) {
        const double across = ((x + 0.5) * scale - c.width * 0.5) / (c.width * 0.5);
        const double edge = top - 0.04 * c.height * (1.0 - across * across);
        if (rowCentre < edge) {
            continue;
        }
        any = true;
        const double depth = std::min(1.0, (rowCentre - edge) / (0.09 * c.height));
        row[x] = static_cast<uint8_t>(plane == 0 ? 24 + static_cast<int>(36 * (1.0 - depth)) : 128);
    }
    return any;
}

void paintPlane(const Camera& c, uint8_t* plane, int stride, int pixels, int rows, int scale,
                int which) {
    // Tree line height per column of this plane, in luma rows: rolling hills
    // with ragged tree tops, sliding with the horizon.
    const Texture& tex = texture();
    const int ragLevel = 2;
    const int ragSize = kTexSize >> ragLevel;
    std::vector<double> treeTop(static_cast<size_t>(pixels));
    for (int x = 0; x < pixels; ++x) {
        const double xc = (x + 0.5) * scale - c.centre;
        const int i = static_cast<int>(std::floor(xc / 3.0)) & (ragSize - 1);
        const double rag = (tex.level[ragLevel][static_cast<size_t>(17) * ragSize + i] - 128) / 128.0;
        const double hill = 0.028 + 0.018 * std::sin(kTwoPi * xc / (0.7 * c.width) + 1.0) +
                            0.012 * rag;
        treeTop[static_cast<size_t>(x)] = c.horizon - c.height * std::max(0.004, hill);
    }
    for (int y = 0; y < rows; ++y) {
        uint8_t* row = plane + static_cast<size_t>(y) * stride;
        const double rowCentre = (y + 0.5) * scale;
        if (rowCentre > c.horizon + 0.5) {
            groundRow(c, row, pixels, scale, which, rowCentre);
        } else {
            skyRow(c, row, pixels, scale, which, rowCentre, treeTop);
        }
        bonnetRow(c, row, pixels, scale, which, rowCentre);
    }
}

}  // namespace

void paintRoadFrame(YuvPicture& p, int channel, int64_t frameNumber, int fps,
                    const CivilTime& instant, int millisecond) {
    const Camera c = cameraFor(p, channel, frameNumber, fps);
    paintPlane(c, p.plane[0], p.stride[0], p.width, p.height, 1, 0);
    paintPlane(c, p.plane[1], p.stride[1], p.width / 2, p.height / 2, 2, 1);
    paintPlane(c, p.plane[2], p.stride[2], p.width / 2, p.height / 2, 2, 2);
    // A recorder's stamp is small: about a twentieth of the picture's height.
    drawOverlay(p, overlayLayoutAtScale(std::max(1, p.height / 270)), channel, instant,
                millisecond);
}

}  // namespace mkcard
