// pair_figures.cpp - patches of Left found again in Right, and the halves' colours compared.
//
// Alignment: the luminance of both frames, and a copy a quarter the size. On a grid over Left,
// each textured patch is looked for in Right at the small size over a wide horizontal range
// (the parallax of near and far things) and a narrower vertical one, then around that place at
// full size, by zero-mean normalised cross-correlation (so that a brighter or darker camera does
// not matter), with the vertical position refined between pixels by a parabola through the
// correlation. Only the vertical part of each displacement is used: a point at (x, y) from the
// centre moves down by dy + a x + b y, where a = s sin(t) and b = s cos(t) - 1 for a turn t and
// a scale s. A least-squares fit of dy, a and b over the matched places, refitted twice without
// the places far off the fit, gives the figures.
#include "stereoshot/pair_figures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

enum {
    kGridColumns = 8,
    kGridRows = 6,
    kCoarse = 4,             // the small copy: one pixel per 4 x 4
    kCoarseRadius = 4,       // patches of 9 x 9 small pixels (36 x 36)
    kFineRadius = 8,         // patches of 17 x 17 pixels
    kReachX = 128,           // horizontal search, pixels either way
    kReachY = 56,            // vertical search
    kFineReach = 5,          // around the small copy's find
    kMinimumMatches = 10,
};
constexpr double kMinimumVariance = 16.0;   // a flatter patch holds nothing to match
constexpr double kMinimumCorrelation = 0.7;

struct Plane {
    int width = 0, height = 0;
    std::vector<float> v;
    float at(int x, int y) const { return v[(size_t)y * width + x]; }
};

Plane Luminance(const uint32_t *p, int w, int h)
{
    Plane out{w, h, std::vector<float>((size_t)w * h)};
    for (size_t i = 0; i < out.v.size(); i++) {
        uint32_t c = p[i];
        out.v[i] = (float)(77 * ((c >> 16) & 0xFF) + 150 * ((c >> 8) & 0xFF) + 29 * (c & 0xFF)) / 256.0f;
    }
    return out;
}

Plane Shrunk(const Plane &full)
{
    Plane out{full.width / kCoarse, full.height / kCoarse, {}};
    out.v.assign((size_t)out.width * out.height, 0.0f);
    for (int y = 0; y < out.height; y++)
        for (int x = 0; x < out.width; x++) {
            float sum = 0.0f;
            for (int j = 0; j < kCoarse; j++)
                for (int i = 0; i < kCoarse; i++)
                    sum += full.at(x * kCoarse + i, y * kCoarse + j);
            out.v[(size_t)y * out.width + x] = sum / (kCoarse * kCoarse);
        }
    return out;
}

// A patch of a plane, its mean taken away, and the square root of its sum of squares; `texture`
// is the variance left once the best tilted plane is taken away too: a smooth gradient matches
// itself anywhere along its slope and tells nothing.
struct Patch {
    std::vector<float> d;
    double norm = 0.0;
    double texture = 0.0;
};

bool Inside(const Plane &p, int x, int y, int r)
{
    return x - r >= 0 && y - r >= 0 && x + r < p.width && y + r < p.height;
}

Patch Take(const Plane &p, int x, int y, int r)
{
    Patch out;
    double sum = 0.0;
    for (int j = -r; j <= r; j++)
        for (int i = -r; i <= r; i++) {
            out.d.push_back(p.at(x + i, y + j));
            sum += out.d.back();
        }
    float mean = (float)(sum / out.d.size());
    double squares = 0.0;
    for (float &v : out.d) {
        v -= mean;
        squares += (double)v * v;
    }
    out.norm = std::sqrt(squares);
    // The plane's slopes by least squares over the centred coordinates (their sums are zero).
    double sx = 0.0, sy = 0.0, ss = 0.0;
    size_t k = 0;
    for (int j = -r; j <= r; j++)
        for (int i = -r; i <= r; i++, k++) {
            sx += i * (double)out.d[k];
            sy += j * (double)out.d[k];
            ss += (double)i * i;
        }
    double gx = sx / ss, gy = sy / ss, left = 0.0;
    k = 0;
    for (int j = -r; j <= r; j++)
        for (int i = -r; i <= r; i++, k++) {
            double e = out.d[k] - gx * i - gy * j;
            left += e * e;
        }
    out.texture = left / (double)out.d.size();
    return out;
}

// Correlation of a patch with the same-sized patch of `p` centred at (x, y); -2 outside.
double Correlation(const Patch &a, const Plane &p, int x, int y, int r)
{
    if (!Inside(p, x, y, r) || a.norm <= 0.0)
        return -2.0;
    double sum = 0.0, squares = 0.0, cross = 0.0;
    size_t k = 0;
    for (int j = -r; j <= r; j++) {
        const float *row = &p.v[(size_t)(y + j) * p.width + x - r];
        for (int i = 0; i <= 2 * r; i++, k++) {
            double v = row[i];
            sum += v;
            squares += v * v;
            cross += a.d[k] * v;   // the patch's mean is zero: no mean of this one needed here
        }
    }
    double n = (double)a.d.size();
    double variance = squares - sum * sum / n;
    if (variance <= 1e-9)
        return -2.0;
    return cross / (a.norm * std::sqrt(variance));
}

// The best place for patch a in p around (x, y) within the reaches; its correlation.
double Best(const Patch &a, const Plane &p, int x, int y, int r, int reachX, int reachY, int *bx,
            int *by)
{
    double best = -2.0;
    for (int dy = -reachY; dy <= reachY; dy++)
        for (int dx = -reachX; dx <= reachX; dx++) {
            double c = Correlation(a, p, x + dx, y + dy, r);
            if (c > best) {
                best = c;
                *bx = x + dx;
                *by = y + dy;
            }
        }
    return best;
}

struct Place {
    double x, y, v;   // from the centre; the vertical displacement
};

// dy + a x + b y through the places, least squares; false when they do not fix it.
bool Fit(const std::vector<Place> &places, double out[3])
{
    double m[3][4] = {};
    for (const Place &p : places) {
        const double row[3] = {1.0, p.x, p.y};
        for (int i = 0; i < 3; i++) {
            for (int j = 0; j < 3; j++)
                m[i][j] += row[i] * row[j];
            m[i][3] += row[i] * p.v;
        }
    }
    for (int c = 0; c < 3; c++) {   // Gauss-Jordan with partial pivoting
        int pivot = c;
        for (int r = c + 1; r < 3; r++)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c]))
                pivot = r;
        if (std::fabs(m[pivot][c]) < 1e-9)
            return false;
        for (int k = 0; k < 4; k++)
            std::swap(m[c][k], m[pivot][k]);
        for (int r = 0; r < 3; r++) {
            if (r == c)
                continue;
            double f = m[r][c] / m[c][c];
            for (int k = 0; k < 4; k++)
                m[r][k] -= f * m[c][k];
        }
    }
    for (int i = 0; i < 3; i++)
        out[i] = m[i][3] / m[i][i];
    return true;
}

}   // namespace

Alignment EstimateAlignment(const uint32_t *left, const uint32_t *right, int width, int height)
{
    Alignment result = {false, 0.0, 0.0, 0.0, 0};
    if (left == nullptr || right == nullptr || width < 8 * kCoarse * kCoarseRadius ||
        height < 6 * kCoarse * kCoarseRadius)
        return result;
    const Plane l = Luminance(left, width, height), r = Luminance(right, width, height);
    const Plane ls = Shrunk(l), rs = Shrunk(r);
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    std::vector<Place> places;
    const int margin = kCoarse * (kCoarseRadius + 1);
    for (int gy = 0; gy < kGridRows; gy++)
        for (int gx = 0; gx < kGridColumns; gx++) {
            int x = margin + gx * (width - 2 * margin - 1) / (kGridColumns - 1);
            int y = margin + gy * (height - 2 * margin - 1) / (kGridRows - 1);
            int sx = x / kCoarse, sy = y / kCoarse;
            if (!Inside(ls, sx, sy, kCoarseRadius))
                continue;
            Patch small = Take(ls, sx, sy, kCoarseRadius);
            if (small.texture < kMinimumVariance)
                continue;
            int bx = sx, by = sy;
            if (Best(small, rs, sx, sy, kCoarseRadius, kReachX / kCoarse, kReachY / kCoarse, &bx,
                     &by) < kMinimumCorrelation)
                continue;
            if (!Inside(l, x, y, kFineRadius))
                continue;
            Patch fine = Take(l, x, y, kFineRadius);
            int fx = 0, fy = 0;
            int guessX = x + (bx - sx) * kCoarse, guessY = y + (by - sy) * kCoarse;
            double c0 = Best(fine, r, guessX, guessY, kFineRadius, kFineReach, kFineReach, &fx, &fy);
            if (c0 < kMinimumCorrelation)
                continue;
            // Between pixels: the vertex of the parabola through the correlations above and below.
            double up = Correlation(fine, r, fx, fy - 1, kFineRadius);
            double down = Correlation(fine, r, fx, fy + 1, kFineRadius);
            double shift = 0.0;
            double curve = up - 2.0 * c0 + down;
            if (up > -2.0 && down > -2.0 && curve < 0.0)
                shift = std::max(-0.5, std::min(0.5, 0.5 * (up - down) / curve));
            places.push_back({x - cx, y - cy, fy + shift - y});
        }
    // The model most places agree with: the fit through every three places (a few thousand), the
    // one with the most places within a pixel of it kept, then refitted by least squares over
    // those. Places off it matched something else: a repeated pattern, a moving thing, a caption
    // the camera burns into its frames.
    if ((int)places.size() < kMinimumMatches)
        return result;
    auto agreeing = [&places](const double m[3], double within) {
        std::vector<Place> near;
        for (const Place &p : places)
            if (std::fabs(p.v - m[0] - m[1] * p.x - m[2] * p.y) <= within)
                near.push_back(p);
        return near;
    };
    double model[3] = {0.0, 0.0, 0.0};
    size_t most = 0;
    const size_t n = places.size();
    for (size_t i = 0; i < n; i++)
        for (size_t j = i + 1; j < n; j++)
            for (size_t k = j + 1; k < n; k++) {
                double trial[3];
                if (!Fit({places[i], places[j], places[k]}, trial))
                    continue;
                size_t count = agreeing(trial, 1.0).size();
                if (count > most) {
                    most = count;
                    std::copy(trial, trial + 3, model);
                }
            }
    for (double within : {1.0, 0.5}) {
        std::vector<Place> kept = agreeing(model, within);
        if ((int)kept.size() < kMinimumMatches || !Fit(kept, model))
            return result;
        result.matched = (int)kept.size();
    }
    const double a = model[1], b = model[2];
    result.valid = true;
    result.verticalPx = model[0];
    result.rotationDeg = std::atan2(a, 1.0 + b) * 180.0 / 3.14159265358979323846;
    result.sizePercent = (std::hypot(a, 1.0 + b) - 1.0) * 100.0;
    return result;
}

ColourDifference CompareColours(const uint32_t *left, const uint32_t *right, int width, int height)
{
    ColourDifference d = {0.0, 0.0, 0.0, 0.0};
    size_t n = (size_t)std::max(width, 0) * (size_t)std::max(height, 0);
    if (left == nullptr || right == nullptr || n == 0)
        return d;
    int64_t sum[4] = {0, 0, 0, 0};   // luminance x 256, red, green, blue: right minus left
    for (size_t i = 0; i < n; i++) {
        int channels[2][3];
        for (int side = 0; side < 2; side++) {
            uint32_t c = side == 0 ? left[i] : right[i];
            channels[side][0] = (int)((c >> 16) & 0xFF);
            channels[side][1] = (int)((c >> 8) & 0xFF);
            channels[side][2] = (int)(c & 0xFF);
        }
        int dr = channels[1][0] - channels[0][0], dg = channels[1][1] - channels[0][1],
            db = channels[1][2] - channels[0][2];
        sum[0] += 77 * dr + 150 * dg + 29 * db;
        sum[1] += dr;
        sum[2] += dg;
        sum[3] += db;
    }
    d.brightness = (double)sum[0] / 256.0 / (double)n;
    d.red = (double)sum[1] / (double)n;
    d.green = (double)sum[2] / (double)n;
    d.blue = (double)sum[3] / (double)n;
    return d;
}
