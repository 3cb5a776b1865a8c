#include "painting.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The AVX2 path is built into any x86-64 program, in functions of their own that the processor
// runs only when it has AVX2.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace preview {
namespace {

const QColor kBackground(0x5f, 0x6e, 0x7e);
const QColor kGridLine(255, 255, 255, 40);
const QColor kGround(0xc8, 0xb0, 0x80, 200);
const QColor kLabel(255, 255, 255, 190);
const QColor kMarker(0xff, 0xd0, 0x40);
const QColor kNightBackground(0x10, 0x14, 0x1c);
const QColor kNightGridLine(255, 255, 255, 22);
const QColor kNightLabel(255, 255, 255, 120);
constexpr int kGlowStops = 16;

} // namespace

QString gridLabel(double value, double step)
{
    // Enough decimals for the step, no more: 0.25 m steps print 0.25, 10 m steps print 10. Very
    // large or very fine values go compact, 1e+308 rather than three hundred digits.
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    const double shown = std::abs(value) < step / 1000 ? 0.0 : value;
    if (decimals <= 4 && std::abs(shown) < 1e6)
        return QString::number(shown, 'f', decimals);
    return QString::number(shown, 'g', 3);
}

namespace {

// The soft disc's coverage (0 to 255) by the squared distance from the centre in radii, in steps
// of 1/32: 255 out to 0.45 of the radius, then falling linearly to 0 at the radius. The steps are
// finer than the layer's pixels show once the layer is scaled up.
constexpr int kProfileSteps = 32;
const std::array<quint8, kProfileSteps + 1> &discProfile()
{
    static const std::array<quint8, kProfileSteps + 1> profile = [] {
        std::array<quint8, kProfileSteps + 1> table{};
        for (int i = 0; i <= kProfileSteps; ++i) {
            const double d = std::sqrt(double(i) / kProfileSteps);
            const double cover = d <= 0.45 ? 1.0 : std::max(0.0, 1 - (d - 0.45) / 0.55);
            table[std::size_t(i)] = quint8(std::lround(cover * 255));
        }
        return table;
    }();
    return profile;
}

// A premultiplied ARGB32 image as plain memory, so that its rows are reached without a call.
struct Pixels {
    quint32 *bits = nullptr;
    qsizetype stride = 0; // pixels from one row to the next
    int width = 0;
    int height = 0;

    quint32 *row(int y) const { return bits + y * stride; }
};

Pixels pixelsOf(QImage &image)
{
    return {reinterpret_cast<quint32 *>(image.bits()), image.bytesPerLine() / 4, image.width(), image.height()};
}

// std::lround without the call: halves away from zero, exact for every double within ±2^52,
// where the part after the point is exact too; beyond that (and NaN) it gives the limit.
qint64 rounded(double value)
{
    constexpr double kLimit = 4503599627370496.0; // 2^52
    const double v = value >= -kLimit ? std::min(value, kLimit) : -kLimit;
    const auto whole = qint64(v);
    const double rest = v - double(whole);
    return whole + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0);
}

// The four channels of a premultiplied pixel times a / 255, each rounded: two channels at a time
// in the 16-bit halves of a 32-bit number, where one multiplication serves both.
inline quint32 byteMul(quint32 x, quint32 a)
{
    constexpr quint32 kHalves = 0x00ff00ff;
    constexpr quint32 kRounding = 0x00800080;
    quint32 rb = (x & kHalves) * a;
    rb = ((rb + ((rb >> 8) & kHalves) + kRounding) >> 8) & kHalves;
    quint32 ag = ((x >> 8) & kHalves) * a;
    ag = (ag + ((ag >> 8) & kHalves) + kRounding) & ~kHalves;
    return rb | ag;
}

// Source over: the pixel of the disc (premultiplied) over what is there.
inline quint32 over(quint32 source, quint32 target)
{
    return source + byteMul(target, 255 - (source >> 24));
}

// The squared distance from a disc's centre in profile steps, as a fixed-point number with
// `fraction` bits after the point, carried along a row from pixel to pixel by its differences: q
// grows by dq, dq by ddq. The disc chooses as many bits as leave q below 2^30 all over the block
// of pixels it blends its rows in, so that it fits in 32-bit lanes with room to spare, and the
// carried rounding stays a small part of a step even along the rows of a disc a thousand pixels
// across. Every path carries the same integers, so every path finds the same steps.
struct Carry {
    qint64 q;
    qint64 dq;
    qint64 ddq;
    int fraction;
};

// The disc's pixel for each step of the profile; from the last step on it is clear, which leaves
// the pixel under it as it is (over() with 0 multiplies by 255 / 255).
using DiscPixels = std::array<quint32, kProfileSteps + 1>;

// The disc's pixels for its premultiplied colour `full`, kept for the next disc of the same colour:
// the discs come oldest first, and neighbours in age mostly share their colour.
struct DiscSource {
    quint32 full = 0; // 0: none yet, since a clear disc is never blended
    DiscPixels pixels{};
};

const DiscPixels &discPixels(DiscSource &kept, quint32 full)
{
    if (kept.full != full) {
        const auto &profile = discProfile();
        for (std::size_t i = 0; i < kept.pixels.size(); ++i)
            kept.pixels[i] = byteMul(full, profile[i]);
        kept.full = full;
    }
    return kept.pixels;
}

// The rows of a disc's square that are blended: every row from the same column over the same
// number of pixels, so that the processor foresees where each row ends, and in groups of four
// where the image is wide enough, the same on every path.
struct DiscBlock {
    quint32 *topLeft;
    qsizetype stride;
    int top; // the first row's y in the image
    int rows;
    int count;    // pixels in each row
    bool grouped; // count is a multiple of four
    double cy;
    double dx; // from the disc's centre to the middle of the left pixel
    double scale;
    qint64 dq;
    qint64 ddq;
    int fraction;

    quint32 *row(int r) const { return topLeft + r * stride; }
    // The squared distance at the row's left pixel, carried on from there: rounded() in fewer
    // steps, since it lies from 0 to 2^30 within the block.
    Carry carry(int r) const
    {
        const double dy = top + r + 0.5 - cy;
        const double q = (dx * dx + dy * dy) * scale;
        const auto whole = qint64(q);
        return {whole + (q - double(whole) >= 0.5 ? 1 : 0), dq, ddq, fraction};
    }
};

// `count` pixels of a row from `target` on, each with the disc's pixel for its step over it.
void blendPixels(quint32 *target, int count, Carry carry, const DiscPixels &source)
{
    for (int n = 0; n < count; ++n) {
        const auto step = std::size_t(std::clamp<qint64>(carry.q >> carry.fraction, 0, kProfileSteps));
        target[n] = over(source[step], target[n]);
        carry.q += carry.dq;
        carry.dq += carry.ddq;
    }
}

void blendBlockPlain(const DiscBlock &block, const DiscPixels &source)
{
    for (int r = 0; r < block.rows; ++r)
        blendPixels(block.row(r), block.count, block.carry(r), source);
}

#if defined(__SSE2__)
// over() for the pixels in the low and high halves of `target` (unpacked to 16-bit lanes, two
// pixels each): every channel times its pixel's 255 - source alpha in `inverse`, rounded as
// byteMul rounds, then the sources added as 32-bit numbers, as over() adds them.
inline __m128i overLanes(__m128i source, __m128i inverseLow, __m128i inverseHigh, __m128i target)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i rounding = _mm_set1_epi16(0x80);
    __m128i low = _mm_mullo_epi16(_mm_unpacklo_epi8(target, zero), inverseLow);
    low = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(low, _mm_srli_epi16(low, 8)), rounding), 8);
    __m128i high = _mm_mullo_epi16(_mm_unpackhi_epi8(target, zero), inverseHigh);
    high = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(high, _mm_srli_epi16(high, 8)), rounding), 8);
    return _mm_add_epi32(_mm_packus_epi16(low, high), source);
}

// blendBlockPlain() with the rows in groups of four pixels. The steps are carried in 32-bit lanes,
// which may wrap on the way but come out exact wherever the true value fits, as it does within the
// block. Lane n of a row starts at n dq + n (n - 1) / 2 ddq beyond the row's first q, and its
// difference at dq + n ddq, the same in every row.
void blendBlockSse2(const DiscBlock &block, const DiscPixels &source)
{
    if (!block.grouped) {
        blendBlockPlain(block, source);
        return;
    }
    const auto dq = quint32(block.dq);
    const auto ddq = quint32(block.ddq);
    const __m128i offsets = _mm_setr_epi32(0, qint32(dq), qint32(2 * dq + ddq), qint32(3 * dq + 3 * ddq));
    const __m128i firstDifferences =
        _mm_setr_epi32(qint32(dq), qint32(dq + ddq), qint32(dq + 2 * ddq), qint32(dq + 3 * ddq));
    // Four pixels on, each lane's q grows by four of its differences and 6 ddq, its dq by 4 ddq.
    const __m128i stepsOn = _mm_set1_epi32(qint32(6 * ddq));
    const __m128i differencesOn = _mm_set1_epi32(qint32(4 * ddq));
    const __m128i fraction = _mm_cvtsi32_si128(block.fraction);
    const __m128i zero = _mm_setzero_si128();
    const __m128i lastStep = _mm_set1_epi16(kProfileSteps);
    const __m128i opaque = _mm_set1_epi32(255);
    const int groups = block.count / 4;
    for (int r = 0; r < block.rows; ++r) {
        __m128i steps = _mm_add_epi32(_mm_set1_epi32(qint32(quint32(block.carry(r).q))), offsets);
        __m128i differences = firstDifferences;
        quint32 *target = block.row(r);
        for (int g = 0; g < groups; ++g, target += 4) {
            // The lanes' steps from 0 to kProfileSteps as 16-bit numbers, two in each 32-bit one.
            __m128i step = _mm_sra_epi32(steps, fraction);
            step = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(step, step), zero), lastStep);
            const auto low = quint32(_mm_cvtsi128_si32(step));
            const auto high = quint32(_mm_cvtsi128_si32(_mm_srli_si128(step, 4)));
            const __m128i sources =
                _mm_unpacklo_epi64(_mm_unpacklo_epi32(_mm_cvtsi32_si128(qint32(source[low & 0xffff])),
                                                      _mm_cvtsi32_si128(qint32(source[low >> 16]))),
                                   _mm_unpacklo_epi32(_mm_cvtsi32_si128(qint32(source[high & 0xffff])),
                                                      _mm_cvtsi32_si128(qint32(source[high >> 16]))));
            // 255 - alpha of each source in both 16-bit halves of its lane, then in all four
            // channels' lanes of its pixel.
            __m128i inverse = _mm_sub_epi32(opaque, _mm_srli_epi32(sources, 24));
            inverse = _mm_or_si128(inverse, _mm_slli_epi32(inverse, 16));
            auto *pixels = reinterpret_cast<__m128i *>(target);
            _mm_storeu_si128(pixels, overLanes(sources, _mm_unpacklo_epi32(inverse, inverse),
                                               _mm_unpackhi_epi32(inverse, inverse), _mm_loadu_si128(pixels)));
            steps = _mm_add_epi32(_mm_add_epi32(steps, _mm_slli_epi32(differences, 2)), stepsOn);
            differences = _mm_add_epi32(differences, differencesOn);
        }
    }
}
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The AVX2 path: eight pixels at a time, their disc pixels picked from the table held in four
// registers. These functions run only where the processor has AVX2. On Windows the compiler may
// spill a 256-bit register to a stack slot it has not aligned to 32 bytes (GCC bug 54412); the
// build there has the assembler write every aligned vector move of this file as an unaligned one,
// which cannot fault.

// over() for eight pixels: as overLanes(), with the inverse alphas spread to the 16-bit lanes of
// their pixels by byte shuffles. `inverse` holds 255 - alpha in each pixel's top byte.
__attribute__((target("avx2"))) inline __m256i overEight(__m256i sources, __m256i inverse, __m256i target)
{
    // Per 128-bit lane: the top bytes of its first two pixels (3, 7), then of its last two (11,
    // 15), each in the four 16-bit lanes of its pixel; -128 clears the upper byte.
    const __m256i firstTwo = _mm256_setr_epi8(3, -128, 3, -128, 3, -128, 3, -128, 7, -128, 7, -128, 7, -128, 7, -128, //
                                              3, -128, 3, -128, 3, -128, 3, -128, 7, -128, 7, -128, 7, -128, 7, -128);
    const __m256i lastTwo =
        _mm256_setr_epi8(11, -128, 11, -128, 11, -128, 11, -128, 15, -128, 15, -128, 15, -128, 15,
                         -128, //
                         11, -128, 11, -128, 11, -128, 11, -128, 15, -128, 15, -128, 15, -128, 15, -128);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i rounding = _mm256_set1_epi16(0x80);
    __m256i low = _mm256_mullo_epi16(_mm256_unpacklo_epi8(target, zero), _mm256_shuffle_epi8(inverse, firstTwo));
    low = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(low, _mm256_srli_epi16(low, 8)), rounding), 8);
    __m256i high = _mm256_mullo_epi16(_mm256_unpackhi_epi8(target, zero), _mm256_shuffle_epi8(inverse, lastTwo));
    high = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(high, _mm256_srli_epi16(high, 8)), rounding), 8);
    return _mm256_add_epi32(_mm256_packus_epi16(low, high), sources);
}

// The disc's pixels for steps 1 to 32, eight in each register: step 0 has the pixel of step 1
// (both lie within the full core), and step 32 and beyond the clear one.
struct DiscPixelLanes {
    __m256i from1;
    __m256i from9;
    __m256i from17;
    __m256i from25;
};

// Each lane's disc pixel for its step less one, from 0 to 31: picked by its low three bits from
// each register, then by its bits 3 and 4, moved up to the sign bit that the blends read. A gather
// from the table in memory takes longer on some processors.
__attribute__((target("avx2"))) inline __m256i discPixelsAt(const DiscPixelLanes &table, __m256i index)
{
    const __m256 bit3 = _mm256_castsi256_ps(_mm256_slli_epi32(index, 28));
    const __m256 bit4 = _mm256_castsi256_ps(_mm256_slli_epi32(index, 27));
    const __m256 below16 = _mm256_blendv_ps(_mm256_castsi256_ps(_mm256_permutevar8x32_epi32(table.from1, index)),
                                            _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(table.from9, index)), bit3);
    const __m256 from16 = _mm256_blendv_ps(_mm256_castsi256_ps(_mm256_permutevar8x32_epi32(table.from17, index)),
                                           _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(table.from25, index)), bit3);
    return _mm256_castps_si256(_mm256_blendv_ps(below16, from16, bit4));
}

// blendBlockSse2() with eight lanes: the pairs of groups eight pixels at a time.
__attribute__((target("avx2"))) void blendBlockAvx2(const DiscBlock &block, const DiscPixels &source)
{
    if (!block.grouped) {
        blendBlockPlain(block, source);
        return;
    }
    const __m256i dq = _mm256_set1_epi32(qint32(quint32(block.dq)));
    const __m256i ddq = _mm256_set1_epi32(qint32(quint32(block.ddq)));
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    // Lane n of a row starts at n dq + n (n - 1) / 2 ddq beyond the row's first q, less one step,
    // so that the step less one comes out of the shift.
    const __m256i offsets =
        _mm256_sub_epi32(_mm256_add_epi32(_mm256_mullo_epi32(dq, lanes),
                                          _mm256_mullo_epi32(ddq, _mm256_setr_epi32(0, 0, 1, 3, 6, 10, 15, 21))),
                         _mm256_set1_epi32(1 << block.fraction));
    // Eight pixels on, the q of the pixel p grows by 8 dq + (8 p + 28) ddq, and that growth by 64
    // ddq.
    const __m256i firstGrowth =
        _mm256_add_epi32(_mm256_slli_epi32(dq, 3),
                         _mm256_mullo_epi32(ddq, _mm256_add_epi32(_mm256_slli_epi32(lanes, 3), _mm256_set1_epi32(28))));
    const __m256i growthOn = _mm256_slli_epi32(ddq, 6);
    const __m128i fraction = _mm_cvtsi32_si128(block.fraction);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i last = _mm256_set1_epi32(kProfileSteps - 1);
    const __m256i ones = _mm256_set1_epi32(-1);
    const auto *table = reinterpret_cast<const __m256i *>(source.data() + 1);
    const DiscPixelLanes pixelLanes{_mm256_loadu_si256(table), _mm256_loadu_si256(table + 1),
                                    _mm256_loadu_si256(table + 2), _mm256_loadu_si256(table + 3)};
    const int groups = block.count / 4;
    // The rows' first q as DiscBlock::carry() finds it, four rows at a time in double lanes: the
    // same operations on the same numbers.
    const __m256d dxSquared = _mm256_set1_pd(block.dx * block.dx);
    const __m256d cy = _mm256_set1_pd(block.cy);
    const __m256d scale = _mm256_set1_pd(block.scale);
    const __m256d half = _mm256_set1_pd(0.5);
    std::array<qint32, 4> rowStarts{};
    // An odd last group of a row waits for the next row's, and the two go as one eight.
    quint32 *waiting = nullptr;
    __m256i waitingSteps = zero;
    for (int r = 0; r < block.rows; ++r) {
        if (r % 4 == 0) {
            const __m256d y =
                _mm256_cvtepi32_pd(_mm_add_epi32(_mm_set1_epi32(block.top + r), _mm_setr_epi32(0, 1, 2, 3)));
            const __m256d dy = _mm256_sub_pd(_mm256_add_pd(y, half), cy);
            const __m256d q = _mm256_mul_pd(_mm256_add_pd(dxSquared, _mm256_mul_pd(dy, dy)), scale);
            const __m128i whole = _mm256_cvttpd_epi32(q);
            // All ones (-1) in the 64-bit lanes whose rest is a half or more, then in 32-bit ones.
            const __m256i up =
                _mm256_castpd_si256(_mm256_cmp_pd(_mm256_sub_pd(q, _mm256_cvtepi32_pd(whole)), half, _CMP_GE_OQ));
            const __m128i ups =
                _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(up, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(rowStarts.data()), _mm_sub_epi32(whole, ups));
        }
        __m256i steps = _mm256_add_epi32(_mm256_set1_epi32(rowStarts[std::size_t(r % 4)]), offsets);
        __m256i growth = firstGrowth;
        quint32 *target = block.row(r);
        for (int g = 1; g < groups; g += 2, target += 8) {
            const __m256i index = _mm256_min_epi32(_mm256_max_epi32(_mm256_sra_epi32(steps, fraction), zero), last);
            const __m256i sources = discPixelsAt(pixelLanes, index);
            auto *pixels = reinterpret_cast<__m256i *>(target);
            _mm256_storeu_si256(pixels,
                                overEight(sources, _mm256_xor_si256(sources, ones), _mm256_loadu_si256(pixels)));
            steps = _mm256_add_epi32(steps, growth);
            growth = _mm256_add_epi32(growth, growthOn);
        }
        if (groups % 2 == 0)
            continue;
        if (!waiting && r + 1 < block.rows) {
            waiting = target;
            waitingSteps = steps;
            continue;
        }
        // The waiting row's four pixels in the low half, this row's in the high half; a last row
        // with none waiting has its own four in both.
        quint32 *const low = waiting ? waiting : target;
        const __m256i bothSteps = _mm256_permute2x128_si256(waiting ? waitingSteps : steps, steps, 0x20);
        const __m256i index = _mm256_min_epi32(_mm256_max_epi32(_mm256_sra_epi32(bothSteps, fraction), zero), last);
        const __m256i sources = discPixelsAt(pixelLanes, index);
        auto *lowPixels = reinterpret_cast<__m128i *>(low);
        auto *highPixels = reinterpret_cast<__m128i *>(target);
        _mm256_storeu2_m128i(
            highPixels, lowPixels,
            overEight(sources, _mm256_xor_si256(sources, ones), _mm256_loadu2_m128i(highPixels, lowPixels)));
        waiting = nullptr;
    }
}
#endif

bool processorHasAvx2()
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    // Where the features are read before the program's constructors have run (MinGW's runtime
    // may not have run libgcc's), this reads them first.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

std::atomic<BlendPath> &takenPath()
{
    static std::atomic<BlendPath> path = blendPaths().back();
    return path;
}

// Qt paints with AVX where the processor has it and may leave the upper halves of the vector
// registers in use; the SSE code here would then run at half speed on some processors, until
// they are cleared. Called before a run of discs.
void clearUpperVectorHalves()
{
#if defined(__SSE2__) && !defined(__AVX__) && (defined(__x86_64__) || defined(__i386__))                               \
    && (defined(__GNUC__) || defined(__clang__))
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        asm volatile("vzeroupper");
#endif
}

// A pixel position from 0 to count - 1, for coordinates of any size.
int pixelWithin(double at, int count)
{
    return at > 0 ? int(std::min(at, double(std::max(0, count - 1)))) : 0;
}

// pixelWithin(std::ceil(at), count) and pixelWithin(std::floor(at), count) without the calls: the
// coordinate is first brought within -1 to count, where the conversion to int is exact.
inline int ceilWithin(double at, int count)
{
    const double v = at > -1 ? std::min(at, double(count)) : -1;
    const int whole = int(v);
    return std::clamp(whole + (double(whole) < v ? 1 : 0), 0, std::max(0, count - 1));
}

inline int floorWithin(double at, int count)
{
    const double v = at > -1 ? std::min(at, double(count)) : -1;
    const int whole = int(v);
    return std::clamp(whole - (double(whole) > v ? 1 : 0), 0, std::max(0, count - 1));
}

quint32 premultiplied(const effect::Rgba &colour, double weight)
{
    const double a = std::clamp(colour.a * weight, 0.0, 1.0);
    // rounded() for what lies from 0 to 255, and 0 for what is not a number, as rounded() gives.
    const auto channel = [a](double c) {
        const double v = std::clamp(c, 0.0, 1.0) * a * 255;
        if (!(v >= 0))
            return 0U;
        const auto whole = quint32(v);
        return whole + (v - double(whole) >= 0.5 ? 1U : 0U);
    };
    return channel(1) << 24 | channel(colour.r) << 16 | channel(colour.g) << 8 | channel(colour.b);
}

void blendDisc(const Pixels &pixels, QPointF centre, double radius, const effect::Rgba &colour, BlendPath path,
               DiscSource &kept)
{
    if (!(radius > 0) || !(colour.a > 0) || !std::isfinite(radius * radius))
        return;
    const int width = pixels.width;
    const int height = pixels.height;
    const double cx = centre.x();
    const double cy = centre.y();
    if (!(cx + radius > 0 && cx - radius < width && cy + radius > 0 && cy - radius < height))
        return;
    if (radius < 0.75) {
        // Too small for its profile: its colour goes to the one pixel, weighted by the disc's area.
        const int x = int(std::floor(cx));
        const int y = int(std::floor(cy));
        if (x >= 0 && x < width && y >= 0 && y < height) {
            quint32 &target = pixels.row(y)[x];
            target = over(premultiplied(colour, std::min(1.0, 3.14159 * radius * radius)), target);
        }
        return;
    }
    const quint32 full = premultiplied(colour, 1);
    if (full == 0)
        return;
    const DiscPixels &source = discPixels(kept, full);
    // The pixels of the disc's square outside the disc come out clear. Rows whose pixels all lie
    // more than a step of the profile beyond the radius are left out: the step's margin is far more
    // than the carried rounding, so they would come out clear.
    const double reach = radius * std::sqrt(double(kProfileSteps + 1) / kProfileSteps);
    const int top = std::max(floorWithin(cy - radius, height), ceilWithin(cy - reach - 0.5, height));
    const int bottom = std::min(ceilWithin(cy + radius, height), floorWithin(cy + reach - 0.5, height));
    int left = floorWithin(cx - radius, width);
    const int right = ceilWithin(cx + radius, width);
    // In groups of four, the last reaching up to three pixels further; where the image ends first,
    // the groups begin as much earlier.
    const int groups = (right - left + 4) / 4;
    const bool grouped = 4 * groups <= width;
    if (grouped)
        left = std::min(left, width - 4 * groups);
    // A pixel of the square is at most 1.5 pixels beyond the disc's radius up or down, and 4.5
    // across.
    const double farthest =
        ((radius + 4.5) * (radius + 4.5) + (radius + 1.5) * (radius + 1.5)) / (radius * radius) * kProfileSteps;
    int fraction = 24;
    while (fraction > 0 && farthest * double(1 << fraction) >= double(1 << 30))
        --fraction;
    const double scale = kProfileSteps / (radius * radius) * double(1 << fraction);
    const double dx = left + 0.5 - cx;
    const DiscBlock block{pixels.row(top) + left,
                          pixels.stride,
                          top,
                          bottom - top + 1,
                          grouped ? 4 * groups : right - left + 1,
                          grouped,
                          cy,
                          dx,
                          scale,
                          rounded((2 * dx + 1) * scale),
                          rounded(2 * scale),
                          fraction};
    switch (path) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    case BlendPath::Avx2:
        blendBlockAvx2(block, source);
        return;
#endif
#if defined(__SSE2__)
    case BlendPath::Sse2:
        blendBlockSse2(block, source);
        return;
#endif
    default:
        blendBlockPlain(block, source);
    }
}

} // namespace

std::vector<BlendPath> blendPaths()
{
    std::vector<BlendPath> paths{BlendPath::Plain};
#if defined(__SSE2__)
    paths.push_back(BlendPath::Sse2);
#endif
    if (processorHasAvx2())
        paths.push_back(BlendPath::Avx2);
    return paths;
}

BlendPath blendPath()
{
    return takenPath().load(std::memory_order_relaxed);
}

bool setBlendPathForTests(BlendPath path)
{
    const std::vector<BlendPath> paths = blendPaths();
    if (std::find(paths.cbegin(), paths.cend(), path) == paths.cend())
        return false;
    takenPath().store(path, std::memory_order_relaxed);
    return true;
}

void blendSoftDisc(QImage &image, QPointF centre, double radius, const effect::Rgba &colour)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    clearUpperVectorHalves();
    DiscSource source;
    blendDisc(pixelsOf(image), centre, radius, colour, blendPath(), source);
}

int layerFactor(double meanRadius)
{
    if (meanRadius >= 24)
        return 4;
    if (meanRadius >= 12)
        return 2;
    return 1;
}

QPointF planeCoordinates(const effect::Vec3 &at, Plane plane)
{
    return plane == Plane::Side ? QPointF(at.x, at.z) : QPointF(at.x, at.y);
}

double fitScale(const effect::Bounds &bounds, const QSizeF &side, const QSizeF &top)
{
    // At least a metre across, so that a particle standing still still gets a readable view.
    const double width = std::max(1.0, bounds.high.x - bounds.low.x) * 1.2;
    const double height = std::max(1.0, bounds.high.z - bounds.low.z) * 1.2;
    const double depth = std::max(1.0, bounds.high.y - bounds.low.y) * 1.2;
    const double scale =
        std::min({side.width() / width, side.height() / height, top.width() / width, top.height() / depth});
    return std::isfinite(scale) && scale > 0 ? scale : 1e-6;
}

Frame fitFrame(const effect::Bounds &bounds, Plane plane, double scale)
{
    const QPointF low = planeCoordinates(bounds.low, plane);
    const QPointF high = planeCoordinates(bounds.high, plane);
    return {(low + high) / 2, scale};
}

namespace {

// The view's pixel of a point of its plane.
QPointF viewPixel(const QRectF &area, const Frame &frame, QPointF at)
{
    const QPointF middle = area.center();
    return {middle.x() + (at.x() - frame.centre.x()) * frame.scale,
            middle.y() - (at.y() - frame.centre.y()) * frame.scale};
}

// Background, metre grid with labels and the object's marker at the origin.
void paintBackground(QPainter &painter, const QRectF &area, const Frame &frame, Plane plane, bool night)
{
    const QColor gridLine = night ? kNightGridLine : kGridLine;
    const QColor labelColour = night ? kNightLabel : kLabel;
    painter.fillRect(area, night ? kNightBackground : kBackground);
    const auto toPixels = [&](QPointF at) { return viewPixel(area, frame, at); };
    const double halfWidth = area.width() / 2 / frame.scale;
    const double halfHeight = area.height() / 2 / frame.scale;
    const double step = effect::gridStep(std::max(halfWidth, halfHeight) * 2);

    painter.setRenderHint(QPainter::Antialiasing, false);
    // Counted in whole steps, so that the line at 0 is exactly 0; every `labelled`-th line is
    // labelled. Where the step count leaves the exact range of a double, the lines would not be
    // told apart anyway: none are drawn.
    const auto lines = [&](double from, double to, int labelled, auto draw) {
        if (!(std::abs(from / step) < 1e15 && std::abs(to / step) < 1e15))
            return;
        const auto first = static_cast<long long>(std::ceil(from / step));
        const auto last = static_cast<long long>(std::floor(to / step));
        for (long long k = first; k <= last; ++k)
            draw(double(k) * step, k % labelled == 0);
    };
    // Labels at least their own size apart, so that long ones never run over each other.
    const double stepPixels = step * frame.scale;
    const QFontMetricsF metrics(painter.font());
    const auto every = [stepPixels](double labelSize) {
        const double needed = std::ceil((labelSize + 8) / std::max(stepPixels, 1e-9));
        return needed < 1000 ? std::max(1, int(needed)) : 1000;
    };
    const double widest = std::max(metrics.horizontalAdvance(gridLabel(frame.centre.x() - halfWidth, step)),
                                   metrics.horizontalAdvance(gridLabel(frame.centre.x() + halfWidth, step)));
    lines(frame.centre.x() - halfWidth, frame.centre.x() + halfWidth, every(widest), [&](double x, bool label) {
        const double px = toPixels({x, 0}).x();
        painter.setPen(gridLine);
        painter.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
        painter.setPen(labelColour);
        if (label)
            painter.drawText(QPointF(px + 3, area.bottom() - 4), gridLabel(x, step));
    });
    lines(frame.centre.y() - halfHeight, frame.centre.y() + halfHeight, every(metrics.height()),
          [&](double y, bool label) {
              const double py = toPixels({0, y}).y();
              painter.setPen(y == 0 && plane == Plane::Side ? QPen(kGround, 2) : QPen(gridLine));
              painter.drawLine(QPointF(area.left(), py), QPointF(area.right(), py));
              painter.setPen(labelColour);
              if (label)
                  painter.drawText(QPointF(area.left() + 3, py - 3), gridLabel(y, step));
          });
    painter.drawText(area.adjusted(0, 4, -6, 0), Qt::AlignRight | Qt::AlignTop,
                     plane == Plane::Side ? QStringLiteral("x → , height z ↑ (m)") : QStringLiteral("x → , y ↑ (m)"));
    const QPointF origin = toPixels({0, 0});
    // An outline with an open centre, under the particles: what stands at the origin shows.
    painter.setPen(QPen(kMarker, 2));
    for (const QPointF arm : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)})
        painter.drawLine(origin + arm * 4, origin + arm * 8);
    painter.setPen(QPen(kMarker, 1));
    painter.drawEllipse(origin, 4, 4);
}

// Adds the glows and, where they have one, the flares onto the image; returns the device pixels
// drawn.
QRect paintGlows(QImage &image, const QRectF &area, qreal ratio, const Frame &frame, Plane plane, const Lights &lights)
{
    QRect drawn;
    if (lights.glows.empty())
        return drawn;
    QPainter painter(&image);
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setPen(Qt::NoPen);
    const auto mark = [&](const QRectF &rect) {
        drawn |= QRectF(rect.topLeft() * ratio, rect.size() * ratio).toAlignedRect().adjusted(-1, -1, 1, 1);
    };
    for (const Glow &glow : lights.glows) {
        const QPointF at = viewPixel(area, frame, planeCoordinates(glow.at, plane));
        const double radius = std::min(glow.radius * frame.scale, 4.0 * std::max(area.width(), area.height()));
        if (!std::isfinite(at.x()) || !std::isfinite(at.y()) || !(radius > 0.5) || glow.profile.size() < 2)
            continue;
        const QRectF box(at - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        if (box.intersects(area)) {
            QRadialGradient gradient(at, radius);
            for (std::size_t i = 0; i < glow.profile.size(); ++i) {
                QColor stop = glow.colour;
                stop.setAlphaF(float(glow.colour.alphaF() * glow.profile[i]));
                // Premultiplied for the additive composition: the colour scaled by its alpha.
                gradient.setColorAt(double(i) / double(glow.profile.size() - 1), stop);
            }
            painter.setBrush(gradient);
            painter.drawEllipse(box);
            mark(box.intersected(area));
        }
        if (!glow.flare)
            continue;
        // A lens flare: a bright core with four rays, of a size on the screen, not in metres.
        const double size = kFlarePixels * glow.flareSize;
        if (!(size > 0.5))
            continue;
        QRadialGradient core(at, size / 3);
        core.setColorAt(0, QColor(255, 255, 255, 230));
        core.setColorAt(1, QColor(glow.colour.red(), glow.colour.green(), glow.colour.blue(), 0));
        painter.setBrush(core);
        painter.drawEllipse(at, size / 3, size / 3);
        for (const bool across : {true, false}) {
            QLinearGradient ray(across ? at - QPointF(size, 0) : at - QPointF(0, size),
                                across ? at + QPointF(size, 0) : at + QPointF(0, size));
            const QColor clear(glow.colour.red(), glow.colour.green(), glow.colour.blue(), 0);
            ray.setColorAt(0, clear);
            ray.setColorAt(0.5, QColor(255, 255, 255, 200));
            ray.setColorAt(1, clear);
            painter.setBrush(ray);
            painter.drawRect(across ? QRectF(at.x() - size, at.y() - 1, 2 * size, 2)
                                    : QRectF(at.x() - 1, at.y() - size, 2, 2 * size));
        }
        mark(QRectF(at - QPointF(size, size), QSizeF(2 * size, 2 * size)).intersected(area));
    }
    return drawn.intersected(image.rect());
}

// The particles as soft discs, the oldest first, blended into the layer; returns where the layer
// goes in the view, none if no disc is seen.
std::optional<ViewImage::LayerDrawing> blendParticles(const QRectF &area, qreal ratio, const Frame &frame, Plane plane,
                                                      const std::vector<effect::Particle> &particles, QImage &layer)
{
    const auto toPixels = [&](QPointF at) { return viewPixel(area, frame, at); };
    // The particles go into a layer of their own, which is cleared and blended into directly: far
    // cheaper than a gradient per disc, and large soft discs lose nothing at a lower resolution.
    struct Disc {
        QPointF at;
        double radius;
        effect::Rgba colour;
    };
    std::vector<Disc> discs;
    discs.reserve(particles.size());
    double radii = 0;
    for (const effect::Particle &particle : particles) {
        const effect::Rgba colour = effect::colourAt(particle.values, particle.age);
        const double radius = std::abs(effect::sizeAt(particle.values, particle.age)) * frame.scale / 2;
        const QPointF at = toPixels(planeCoordinates(particle.position, plane)) - area.topLeft();
        if (colour.a <= 0 || !std::isfinite(at.x()) || !std::isfinite(at.y()) || !std::isfinite(radius))
            continue;
        if (at.x() + radius < 0 || at.y() + radius < 0 || at.x() - radius > area.width()
            || at.y() - radius > area.height())
            continue;
        discs.push_back({at, radius, colour});
        radii += radius;
    }
    if (discs.empty())
        return {};
    const int factor = layerFactor(radii / double(discs.size()));
    const QSize size(int(std::ceil(area.width() / factor)), int(std::ceil(area.height() / factor)));
    if (layer.width() < size.width() || layer.height() < size.height()
        || layer.format() != QImage::Format_ARGB32_Premultiplied)
        layer = QImage(size.expandedTo(layer.size()), QImage::Format_ARGB32_Premultiplied);
    // Only the part the discs cover is cleared and drawn: a column of smoke fills little of the
    // top view. A pixel of margin keeps the smooth scaling from reading beyond the cleared part.
    int coveredLeft = size.width();
    int coveredTop = size.height();
    int coveredRight = -1;
    int coveredBottom = -1;
    // The discs from here on in the layer's pixels. The factor is a power of two, so multiplying by
    // its inverse gives exactly the quotient, without a division.
    const double inverse = 1.0 / factor;
    for (Disc &disc : discs) {
        disc.at *= inverse;
        disc.radius *= inverse;
        const double r = disc.radius + 1;
        coveredLeft = std::min(coveredLeft, pixelWithin(std::floor(disc.at.x() - r), size.width()));
        coveredTop = std::min(coveredTop, pixelWithin(std::floor(disc.at.y() - r), size.height()));
        coveredRight = std::max(coveredRight, pixelWithin(std::ceil(disc.at.x() + r), size.width()));
        coveredBottom = std::max(coveredBottom, pixelWithin(std::ceil(disc.at.y() + r), size.height()));
    }
    const QRect covered(QPoint(coveredLeft, coveredTop), QPoint(coveredRight, coveredBottom));
    if (covered.isEmpty())
        return {};
    const Pixels pixels = pixelsOf(layer);
    for (int y = covered.top(); y <= covered.bottom(); ++y)
        std::fill_n(pixels.row(y) + covered.left(), covered.width(), 0u);
    clearUpperVectorHalves();
    const BlendPath path = blendPath();
    DiscSource source;
    for (const Disc &disc : discs)
        blendDisc(pixels, disc.at, disc.radius, disc.colour, path, source);
    ViewImage::LayerDrawing drawing{area, covered, {}, factor > 1, 0, 0, 0, 1};
    drawing.target = QRectF(area.topLeft() + QPointF(covered.topLeft()) * factor, QSizeF(covered.size()) * factor);
    // Qt hands a scaled drawing of more than 95 rows to threads of its own, which here only wait
    // for the cores that the views already paint on. In bands of at most 64 rows of the device it
    // stays on the thread that draws it; each band draws the same pixels the whole drawing would. A
    // ratio that is not whole has no bands that meet exactly, and draws whole.
    const int band = ratio == std::floor(ratio) && ratio >= 1 && ratio <= 64 ? int(64 / ratio) : 0;
    if (band > 0 && area.top() == std::floor(area.top())) {
        drawing.band = band;
        drawing.top = int(area.top());
        drawing.firstBand = int((drawing.target.top() - drawing.top) / band);
        drawing.bands = std::max(1, int(std::ceil((drawing.target.bottom() - drawing.top) / band)) - drawing.firstBand);
    }
    return drawing;
}

// Draws the band of the layer's drawing into the painter's image; the only band of a drawing
// without bands is the whole.
void drawLayerBand(QPainter &painter, const ViewImage::LayerDrawing &drawing, const QImage &layer, int band)
{
    if (drawing.band == 0) {
        painter.drawImage(drawing.target, layer, drawing.covered);
        return;
    }
    painter.save();
    painter.setClipRect(QRectF(drawing.area.left(), drawing.top + (drawing.firstBand + band) * drawing.band,
                               drawing.area.width(), drawing.band),
                        Qt::IntersectClip);
    painter.drawImage(drawing.target, layer, drawing.covered);
    painter.restore();
}

// Draws the bands of the view's layer that `next` hands out, one after the other, into `image`:
// the view's own image or the one alongside it.
void drawLayerBands(ViewImage &view, QImage &image, std::atomic<int> &next)
{
    const ViewImage::LayerDrawing &drawing = *view.layerDrawing;
    std::optional<QPainter> painter;
    for (int band = next.fetch_add(1, std::memory_order_relaxed); band < drawing.bands;
         band = next.fetch_add(1, std::memory_order_relaxed)) {
        if (!painter) {
            painter.emplace(&image);
            painter->setClipRect(drawing.area);
            painter->setRenderHint(QPainter::SmoothPixmapTransform, drawing.smooth);
        }
        drawLayerBand(*painter, drawing, view.layer, band);
    }
}

// Puts the view's background back, or paints it anew, and blends its discs into its layer; what is
// left to do is drawing the layer (view.layerDrawing).
void blendView(ViewImage &view, QSize size, qreal ratio, const QFont &font, const Frame &frame, Plane plane,
               const std::vector<effect::Particle> &particles, const Lights &lights)
{
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    if (pixels.isEmpty()) {
        view = {};
        return;
    }
    const QRectF area(QPointF(0, 0), QSizeF(size));
    const ViewImage::Background wanted{size, ratio, frame.centre, frame.scale, plane, font, lights.night};
    if (!view.kept || !(*view.kept == wanted)) {
        // The view without particles is painted only when it changes, and kept to put back where
        // the particles were.
        view.background = QImage(pixels, QImage::Format_RGB32);
        view.background.setDevicePixelRatio(ratio);
        QPainter painter(&view.background);
        painter.setFont(font);
        painter.setClipRect(area);
        paintBackground(painter, area, frame, plane, lights.night);
        painter.end();
        view.image = view.background.copy();
        view.kept = wanted;
        view.drawn = {};
    } else if (!view.drawn.isEmpty()) {
        const QRect drawn = view.drawn;
        for (int y = drawn.top(); y <= drawn.bottom(); ++y)
            std::memcpy(view.image.scanLine(y) + std::size_t(drawn.left()) * 4,
                        view.background.constScanLine(y) + std::size_t(drawn.left()) * 4,
                        std::size_t(drawn.width()) * 4);
        view.drawn = {};
    }
    view.drawn = paintGlows(view.image, area, ratio, frame, plane, lights);
    view.layerDrawing = blendParticles(area, ratio, frame, plane, particles, view.layer);
    // The device pixels the smooth scaling may touch, with one to spare.
    if (view.layerDrawing) {
        const QRectF &target = view.layerDrawing->target;
        view.drawn |= QRectF(target.topLeft() * ratio, target.size() * ratio)
                          .toAlignedRect()
                          .adjusted(-1, -1, 1, 1)
                          .intersected(view.image.rect());
    }
}

} // namespace

Lights lightsOf(const effect::Simulation &simulation, bool night)
{
    Lights lights;
    lights.night = night;
    const auto &layers = simulation.layers();
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const std::optional<effect::LightRecipe> &light = layers[i].light;
        const double intensity = simulation.lightIntensity(i);
        if (!light || !(intensity > 0) || (!night && !light->dayLight))
            continue;
        const double brightest = std::max({light->colour[0], light->colour[1], light->colour[2]});
        if (!(brightest > 0))
            continue;
        // Values above 1 are common: the hue is the colour over its brightest channel where that is above 1.
        const double scale = 1 / std::max(1.0, brightest);
        QColor colour;
        colour.setRgbF(float(std::clamp(light->colour[0] * scale, 0.0, 1.0)),
                       float(std::clamp(light->colour[1] * scale, 0.0, 1.0)),
                       float(std::clamp(light->colour[2] * scale, 0.0, 1.0)), float(effect::glowStrength(intensity)));
        Glow glow;
        glow.at = layers[i].offset;
        glow.colour = colour;
        glow.radius = effect::glowRadius(*light);
        for (int stop = 0; stop <= kGlowStops; ++stop) {
            const double falloff = effect::lightFalloff(*light, glow.radius * stop / kGlowStops);
            // Each tenfold drop of the falloff takes the same part of the glow's alpha.
            const double above = falloff > effect::kGlowFraction
                                     ? std::log(falloff / effect::kGlowFraction) / std::log(1 / effect::kGlowFraction)
                                     : 0.0;
            glow.profile.push_back(stop == kGlowStops ? 0.0 : std::min(1.0, above));
        }
        glow.flare = night && light->useFlare;
        glow.flareSize = light->flareSize;
        lights.glows.push_back(std::move(glow));
    }
    return lights;
}

void paintViewImage(ViewImage &view, QSize size, qreal ratio, const QFont &font, const Frame &frame, Plane plane,
                    const std::vector<effect::Particle> &particles, const Lights &lights)
{
    blendView(view, size, ratio, font, frame, plane, particles, lights);
    if (view.layerDrawing) {
        std::atomic<int> next = 0;
        drawLayerBands(view, view.image, next);
    }
}

void paintViewImages(std::span<const ViewToPaint> views, PaintPool &pool)
{
    std::vector<std::function<void()>> jobs;
    static const Lights none;
    for (const ViewToPaint &painted : views)
        jobs.emplace_back([&painted] {
            blendView(*painted.view, painted.size, painted.ratio, painted.font, painted.frame, painted.plane,
                      *painted.particles, painted.lights ? *painted.lights : none);
        });
    pool.run(jobs);
    // Then every thread draws bands, of whichever view has some left: one view's discs may take
    // longer than the other's, but its drawing is shared out. A second thread draws into a second
    // image over the view's pixels, since an image takes one painter at a time.
    jobs.clear();
    std::vector<std::atomic<int>> next(views.size());
    for (std::size_t i = 0; i < views.size(); ++i) {
        ViewImage &view = *views[i].view;
        if (!view.layerDrawing)
            continue;
        jobs.emplace_back([&view, &next = next[i]] { drawLayerBands(view, view.image, next); });
        if (pool.threadCount() < 2 || view.layerDrawing->bands < 2)
            continue;
        uchar *const pixels = view.image.bits();
        // Made again whenever the image's pixels, size or ratio are not those it was made over.
        if (view.alongside.constBits() != pixels || view.alongside.size() != view.image.size()
            || view.alongside.bytesPerLine() != view.image.bytesPerLine()
            || view.alongside.devicePixelRatio() != view.image.devicePixelRatio()) {
            view.alongside =
                QImage(pixels, view.image.width(), view.image.height(), view.image.bytesPerLine(), view.image.format());
            view.alongside.setDevicePixelRatio(view.image.devicePixelRatio());
        }
        jobs.emplace_back([&view, &next = next[i]] { drawLayerBands(view, view.alongside, next); });
    }
    pool.run(jobs);
}

} // namespace preview
