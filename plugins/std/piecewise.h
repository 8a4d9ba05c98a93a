// Co-polar curves that are a run of simple pieces over the folded off-axis
// angle: flat levels, lines in log10(phi) and the parabolic main lobe. A body
// describes such a curve once per call, as data; the per-point slot walks the
// pieces, and an array call hands runs of angles to a vector unit, which
// takes four angles at a time and the same arithmetic for each of them.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "kam/kam_plugin.h"

namespace kamstd {

// One piece: what it gives for the angles below its bound that no earlier
// piece took.
struct Piece {
    enum Kind : std::int32_t {
        kFlat,  // a
        kLog,   // a - b log10(p)
        kLobe,  // a - 2.5e-3 (b p)^2, for a = Gmax and b = D/lambda
    };
    static constexpr double kLobeFactor = 2.5e-3;
    double bound;
    double a;
    double b;
    Kind kind;

    template <class Log>
    double operator()(double p, Log log10) const {
        switch (kind) {
        case kFlat: return a;
        case kLog: return a - b * log10(p);
        case kLobe: break;
        }
        const double x = b * p;
        return a - kLobeFactor * x * x;
    }
};

// The pieces in the order a chain of ifs would test them: the first piece
// whose bound lies above p gives the gain, and the last one takes every angle
// left (a NaN included, as the else of such a chain would). The bounds never
// fall (see Add), so each piece takes the angles from the bound before it up
// to its own.
class Piecewise {
public:
    static constexpr int kMaxPieces = 8;
    static constexpr double kRest = std::numeric_limits<double>::infinity();

    // The bound of a piece that holds its bound itself (p <= bound).
    static double UpTo(double bound) { return std::nextafter(bound, kRest); }

    void Flat(double bound, double level) { Add({bound, level, 0.0, Piece::kFlat}); }
    void Log(double bound, double at1, double slope) { Add({bound, at1, slope, Piece::kLog}); }
    void Lobe(double bound, double gainMax, double d) { Add({bound, gainMax, d, Piece::kLobe}); }

    int Count() const { return count_; }
    const Piece& operator[](int k) const { return pieces_[k]; }

    template <class Log>
    double operator()(double p, Log log10) const {
        int k = 0;
        while (k + 1 < count_ && !(p < pieces_[k].bound)) ++k;
        return pieces_[k](p, log10);
    }

private:
    // Every curve described here has fewer pieces than kMaxPieces; one more
    // would replace the last.
    // A bound below one before it is raised to that one: the piece was
    // never taken, and is not after (a NaN bound, never above an angle,
    // becomes the bound before it too). So the bounds never fall.
    void Add(Piece piece) {
        piece.bound = floor_ < piece.bound ? piece.bound : floor_;
        floor_ = piece.bound;
        pieces_[count_] = piece;
        if (count_ + 1 < kMaxPieces) ++count_;
    }
    std::array<Piece, kMaxPieces> pieces_{};
    int count_ = 0;
    double floor_ = -kRest;
};

// How many angles the vector unit takes at a time.
constexpr std::int32_t kVectorLanes = 4;

// True where this processor has the vector unit DeliverPiecewise uses.
bool HasVectorUnit();

// The leading elements of an array call whose gain the vector unit can
// deliver: angles with |phi| <= 360 (folded as FoldAngle folds them) whose
// gain is finite, kVectorLanes at a time, each with gainX at noValue, status
// 0 and the bits the scalar array loop gives it (its logarithm is
// ArrayLog10's; an angle of a log piece below ArrayLog10::kLow ends the run).
// Returns how many elements it delivered, a multiple of kVectorLanes: it
// stops before the first group of angles holding one it does not take, and
// before a tail shorter than a group. Without the unit it delivers none.
std::int32_t DeliverPiecewise(const Piecewise& curve, std::int32_t count, const double* phi,
                              double noValue, double* gain, double* gainX, KAM_Status* status);

}  // namespace kamstd
