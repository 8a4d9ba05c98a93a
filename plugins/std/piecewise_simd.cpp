// The vector unit of the array calls: AVX2, four angles at a time, on x86-64
// processors that have it (checked at run time; the functions below carry
// their own target, so the rest of the library is built for the baseline
// instruction set). Each lane runs the scalar loop's arithmetic, logarithm
// included, so it gives the same bits. Neighbouring angles mostly share a
// piece: the piece of the group before is tried first, then each lane's own.
#include "piecewise.h"

#include "std.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#define KAMSTD_VECTOR_UNIT 1
#include <immintrin.h>
#endif

namespace kamstd {

#if defined(KAMSTD_VECTOR_UNIT)

bool HasVectorUnit() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

#define KAMSTD_AVX2 __attribute__((target("avx2")))
#define KAMSTD_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

namespace {

KAMSTD_AVX2_INLINE __m256d Splat(double x) { return _mm256_set1_pd(x); }

// LogReduction::Log in four lanes, step for step (so with the same bits), of
// numbers in [ArrayLog10::kLow, ArrayLog10::kHigh]; a lane outside it gets
// some number.
KAMSTD_AVX2_INLINE __m256d NaturalLog(__m256d x) {
    using R = LogReduction;
    const __m256i bits = _mm256_castpd_si256(x);
    __m256i hx = _mm256_srli_epi64(bits, 32);
    __m256i k = _mm256_sub_epi64(_mm256_srli_epi64(hx, 20), _mm256_set1_epi64x(R::kExponentBias));
    hx = _mm256_and_si256(hx, _mm256_set1_epi64x(R::kMantissaHigh));
    const __m256i octave = _mm256_and_si256(_mm256_add_epi64(hx, _mm256_set1_epi64x(R::kSqrtHalf)),
                                            _mm256_set1_epi64x(R::kOctave));
    k = _mm256_add_epi64(k, _mm256_srli_epi64(octave, 20));
    const __m256i high =
        _mm256_or_si256(hx, _mm256_xor_si256(octave, _mm256_set1_epi64x(R::kOne)));
    const __m256i low = _mm256_and_si256(bits, _mm256_set1_epi64x(0xffffffffLL));
    const __m256d f = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(_mm256_slli_epi64(high, 32), low)), Splat(1.0));
    // k as a double: the integer k added to the bits of 1.5 * 2^52 is the
    // double 1.5 * 2^52 + k, for any k of either sign this small.
    const __m256d kMagic = Splat(6755399441055744.0);
    const __m256d dk = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_add_epi64(_mm256_castpd_si256(kMagic), k)), kMagic);

    const __m256d hfsq = _mm256_mul_pd(_mm256_mul_pd(Splat(0.5), f), f);
    const __m256d s = _mm256_div_pd(f, _mm256_add_pd(Splat(2.0), f));
    const __m256d z = _mm256_mul_pd(s, s);
    const __m256d w = _mm256_mul_pd(z, z);
    const __m256d t1 =
        _mm256_mul_pd(w, _mm256_add_pd(Splat(R::kLg2),
                                       _mm256_mul_pd(w, _mm256_add_pd(Splat(R::kLg4),
                                                                      _mm256_mul_pd(w, Splat(R::kLg6))))));
    const __m256d t2 = _mm256_mul_pd(
        z, _mm256_add_pd(
               Splat(R::kLg1),
               _mm256_mul_pd(w, _mm256_add_pd(Splat(R::kLg3),
                                              _mm256_mul_pd(w, _mm256_add_pd(
                                                                   Splat(R::kLg5),
                                                                   _mm256_mul_pd(w, Splat(R::kLg7))))))));
    const __m256d r = _mm256_add_pd(t2, t1);
    // s (hfsq + r) + k ln2_lo - hfsq + f + k ln2_hi, left to right
    __m256d y = _mm256_mul_pd(s, _mm256_add_pd(hfsq, r));
    y = _mm256_add_pd(y, _mm256_mul_pd(dk, Splat(R::kLn2Lo)));
    y = _mm256_sub_pd(y, hfsq);
    y = _mm256_add_pd(y, f);
    return _mm256_add_pd(y, _mm256_mul_pd(dk, Splat(R::kLn2Hi)));
}

// The common logarithm of four angles as ArrayLog10 takes it.
KAMSTD_AVX2_INLINE __m256d Log10(__m256d p) {
    return _mm256_mul_pd(NaturalLog(p), Splat(ArrayLog10::kInvLn10));
}

// A piece's gain in four lanes, as Piece::operator() computes it in one;
// lg is log10(p) where the piece is a line in it.
KAMSTD_AVX2_INLINE __m256d Gain(const Piece& piece, __m256d p, __m256d lg) {
    switch (piece.kind) {
    case Piece::kFlat: return Splat(piece.a);
    case Piece::kLog: return _mm256_sub_pd(Splat(piece.a), _mm256_mul_pd(Splat(piece.b), lg));
    case Piece::kLobe: break;
    }
    const __m256d x = _mm256_mul_pd(Splat(piece.b), p);
    return _mm256_sub_pd(Splat(piece.a),
                         _mm256_mul_pd(_mm256_mul_pd(Splat(Piece::kLobeFactor), x), x));
}

// True when every lane is set in a mask.
KAMSTD_AVX2_INLINE bool All(__m256d mask) { return _mm256_movemask_pd(mask) == 0xF; }
KAMSTD_AVX2_INLINE bool Any(__m256d mask) { return _mm256_movemask_pd(mask) != 0; }

}  // namespace

KAMSTD_AVX2 std::int32_t DeliverPiecewise(const Piecewise& curve, std::int32_t count,
                                          const double* phi, double noValue, double* gain,
                                          double* gainX, KAM_Status* status) {
    const int pieces = curve.Count();
    if (!HasVectorUnit() || pieces == 0) return 0;
    const int last = pieces - 1;
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    // Piece k takes the angles in [lower[k], upper[k]): the bounds never
    // fall, so the first piece whose bound lies above an angle is the one
    // whose range holds it.
    double lower[Piecewise::kMaxPieces], upper[Piecewise::kMaxPieces];
    for (int k = 0; k < pieces; ++k) {
        lower[k] = k == 0 ? -kInfinity : curve[k - 1].bound;
        upper[k] = k == last ? kInfinity : curve[k].bound;
    }
    const __m256d absMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL));
    const __m256d turn = Splat(kFoldLimit);
    const __m256d infinity = Splat(kInfinity);
    const __m256d none = Splat(noValue);
    // Below this the scalar loops take log10 itself rather than log / ln 10.
    const __m256d logLow = Splat(ArrayLog10::kLow);
    bool hasLog = false;
    for (int k = 0; k < pieces; ++k) hasLog |= curve[k].kind == Piece::kLog;
    int guess = 0;  // the piece of the group before, where neighbours go together
    std::int32_t i = 0;
    for (; i + kVectorLanes <= count; i += kVectorLanes) {
        const __m256d a = _mm256_and_pd(_mm256_loadu_pd(phi + i), absMask);
        // Every lane a number of at most 360 degrees (a NaN compares false).
        if (!All(_mm256_cmp_pd(a, turn, _CMP_LE_OQ))) break;
        // FoldAngle without a branch, as the scalar loop folds.
        const __m256d p = _mm256_min_pd(a, _mm256_sub_pd(turn, a));
        __m256d g;
        if (!All(_mm256_and_pd(_mm256_cmp_pd(p, Splat(lower[guess]), _CMP_GE_OQ),
                               _mm256_cmp_pd(p, Splat(upper[guess]), _CMP_LT_OQ)))) {
            // Each lane's piece: the number of bounds at or below its angle.
            __m256d piece = _mm256_setzero_pd();
            for (int k = 0; k < last; ++k)
                piece = _mm256_add_pd(
                    piece, _mm256_and_pd(_mm256_cmp_pd(p, Splat(curve[k].bound), _CMP_GE_OQ),
                                         Splat(1.0)));
            const double first = _mm256_cvtsd_f64(piece);
            if (!All(_mm256_cmp_pd(piece, Splat(first), _CMP_EQ_OQ))) {
                // Lanes on different pieces (angles out of order, say): every
                // piece in every lane, without a branch on the angles, each
                // lane keeping its own.
                const __m256d lg = hasLog ? Log10(p) : _mm256_setzero_pd();
                __m256d logLanes = _mm256_setzero_pd();
                g = _mm256_setzero_pd();
                for (int k = 0; k < pieces; ++k) {
                    const __m256d take = _mm256_cmp_pd(piece, Splat(k), _CMP_EQ_OQ);
                    if (curve[k].kind == Piece::kLog) logLanes = _mm256_or_pd(logLanes, take);
                    g = _mm256_blendv_pd(g, Gain(curve[k], p, lg), take);
                }
                if (Any(_mm256_and_pd(logLanes, _mm256_cmp_pd(p, logLow, _CMP_LT_OQ)))) break;
                goto deliver;
            }
            guess = static_cast<int>(first);
        }
        if (curve[guess].kind == Piece::kLog) {
            if (Any(_mm256_cmp_pd(p, logLow, _CMP_LT_OQ))) break;
            g = Gain(curve[guess], p, Log10(p));
        } else {
            g = Gain(curve[guess], p, p);
        }
    deliver:
        if (!All(_mm256_cmp_pd(_mm256_and_pd(g, absMask), infinity, _CMP_LT_OQ))) break;
        _mm256_storeu_pd(gain + i, g);
        _mm256_storeu_pd(gainX + i, none);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(status + i), _mm_setzero_si128());
    }
    return i;
}

#else

bool HasVectorUnit() { return false; }

std::int32_t DeliverPiecewise(const Piecewise&, std::int32_t, const double*, double, double*,
                              double*, KAM_Status*) {
    return 0;
}

#endif

}  // namespace kamstd
