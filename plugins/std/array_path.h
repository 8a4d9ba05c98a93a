// How one body of a pattern serves both its per-point slot and its array
// function. A body does the work that does not depend on the angle (or the
// contour level) once, then hands a per-element step to the elements it was
// given: the one angle of a slot call, or every angle of an array call. Both
// paths run the same inline code, so they give the same statuses and the
// same bytes, but for the logarithm of the angle in a curve: a body's steps
// take Angles::Log, which for every element of an array call is ArrayLog10
// (within two units in the last place of log10).
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "piecewise.h"
#include "std.h"

namespace kamstd {

// The event codes one array call has queued so far. While an ArrayEvents
// lives on a thread, Report formats and queues only the first event of each
// code (the host keeps no more than that), so that a million failing elements
// cost no more than one.
class ArrayEvents {
public:
    ArrayEvents();
    ~ArrayEvents();
    ArrayEvents(const ArrayEvents&) = delete;
    ArrayEvents& operator=(const ArrayEvents&) = delete;
    // True the first time a code is seen in this call.
    bool First(std::int32_t code);
    // The call in progress on this thread, or nullptr.
    static ArrayEvents* Current();

private:
    static constexpr int kMaxCodes = 32;
    std::int32_t codes_[kMaxCodes];
    int count_ = 0;
    ArrayEvents* outer_;
};

// A step of a call that does not depend on the element but comes after a
// per-element check: the first element that reaches it runs it (so that its
// event comes where the per-point calls would queue it), the others reuse
// its status.
template <class Step>
class Once {
public:
    explicit Once(Step step) : step_(step) {}
    std::int32_t operator()() {
        if (!done_) [[unlikely]] {
            status_ = step_();
            done_ = true;
        }
        return status_;
    }
    // True once the step has run and ended in 0.
    bool Passed() const { return done_ && status_ == 0; }

private:
    Step step_;
    std::int32_t status_ = 0;
    bool done_ = false;
};

// The gain of a co-polar curve at the folded angle p, from the state its
// body derives once per call: fn(state, p, log10), where fn holds no state
// of its own (the array loops call it on a copy of the state).
template <class State, class Fn>
struct Curve {
    const State& state;
    Fn fn;
    template <class Log>
    double operator()(double p, Log log10) const {
        return fn(state, p, log10);
    }
};
template <class State, class Fn>
Curve(const State&, Fn) -> Curve<State, Fn>;

// The one angle of a gain slot. A step takes (phi, phi0, gain, gainX), as
// the slot received them, and returns the slot's status.
struct OneAngle {
    using Log = SlotLog10;  // the logarithm its curves take
    double* phi;
    double* phi0;
    double* gain;
    double* gainX;
    template <class Step>
    KAM_Status operator()(Step&& step) const {
        return step(phi, phi0, gain, gainX);
    }
    template <class Step, class Ready, class Curve>
    KAM_Status operator()(Step&& step, Ready&&, Curve&&) const {
        return step(phi, phi0, gain, gainX);
    }
};

// The angles of a gain array function: each element is handed over as the
// host hands a slot its copies (outputs at 0.0, an absent Phi0 as NoValue).
struct AngleArray {
    using Log = ArrayLog10;  // the logarithm its curves take, in every element
    std::int32_t count;
    const double* phi;
    const double* phi0;
    double* gain;
    double* gainX;
    KAM_Status* status;
    template <class Step>
    KAM_Status operator()(Step&& step) const {
        for (std::int32_t i = 0; i < count; ++i) One(step, i);
        return 0;
    }
    // A co-polar body whose only per-element check is that of Phi (given
    // and finite) hands over, besides its step, ready() (true once every
    // check that does not depend on the angle has passed) and its Curve,
    // the gain its step hands to Deliver for the folded angle p. Elements
    // then take the step until ready(), and afterwards, wherever Phi is a
    // number of at most 360 degrees and Deliver accepts the value, get what
    // Deliver writes; any other element takes the step.
    template <class Step, class Ready, class State, class Fn>
    KAM_Status operator()(Step&& step, Ready&& ready, const Curve<State, Fn>& curve) const {
        std::int32_t i = 0;
        for (; i < count && !ready(); ++i) One(step, i);
        const double* __restrict in = phi;
        double* __restrict out = gain;
        double* __restrict outX = gainX;
        KAM_Status* __restrict result = status;
        const double noValue = g_host.noValue;
        // The loop below takes |Phi| <= 360 for a number that is not NoValue
        // and needs no reduction (FoldAngle's own shortcut); a host whose
        // NoValue is such an angle gets every element through the step.
        if (std::fabs(noValue) <= kFoldLimit) [[unlikely]] {
            for (; i < count; ++i) One(step, i);
            return 0;
        }
        // The loop works on a copy of the state the body derived: the copy is
        // the loop's own, so its fields stay in registers (the body's state
        // is seen by other calls, and every store to the outputs would make
        // the compiler load it again).
        const State state = curve.state;
        const Fn fn = curve.fn;
        // A curve of pieces goes to the vector unit where there is one: it
        // takes the angles it can, and hands back a group of them at a time
        // (or the tail) for the loop below.
        constexpr bool kPieces = std::is_same_v<State, Piecewise>;
        const bool vector = kPieces && HasVectorUnit();
        while (i < count) {
            std::int32_t end = count;
            if constexpr (kPieces) {
                if (vector) {
                    i += DeliverPiecewise(state, count - i, in + i, noValue, out + i, outX + i,
                                          result + i);
                    end = std::min(count, i + kVectorLanes);
                }
            }
            for (; i < end; ++i) {
                double p = std::fabs(in[i]);
                if (p <= kFoldLimit) [[likely]] {
                    // FoldAngle without a branch: 360 - p is exact from 180 on,
                    // and larger than p below it.
                    p = std::min(p, kFoldLimit - p);
                    const double g = fn(state, p, Log{});
                    if (Deliverable(p, g)) [[likely]] {
                        out[i] = g;
                        outX[i] = noValue;
                        result[i] = 0;
                        continue;
                    }
                }
                One(step, i);
            }
        }
        return 0;
    }

    // A curve of pieces: its own walk for one angle, the vector unit for runs.
    template <class Step, class Ready>
    KAM_Status operator()(Step&& step, Ready&& ready, const Piecewise& curve) const {
        return (*this)(step, ready, Curve{curve, [](const Piecewise& c, double p, auto log10) {
                                              return c(p, log10);
                                          }});
    }

    // A curve given as value(p, log10) alone, whose state is the value's own.
    template <class Step, class Ready, class Value>
    KAM_Status operator()(Step&& step, Ready&& ready, const Value& value) const {
        return (*this)(step, ready, Curve{value, [](const Value& v, double p, auto log10) {
                                              return v(p, log10);
                                          }});
    }

private:
    // Element i as the host hands it to a slot: copies of Phi and Phi0 (an
    // absent Phi0 as NoValue). Every step ends in Fail, Deliver or
    // DeliverPair, which write both outputs.
    template <class Step>
    void One(Step& step, std::int32_t i) const {
        double x = phi[i];
        double x0 = phi0 != nullptr ? phi0[i] : g_host.noValue;
        status[i] = step(&x, &x0, gain + i, gainX + i);
    }
};

// The one level of a contour slot. A step takes (gainRel, phi0, phi, phiX).
struct OneLevel {
    double* gainRel;
    double* phi0;
    double* phi;
    double* phiX;
    template <class Step>
    KAM_Status operator()(Step&& step) const {
        return step(gainRel, phi0, phi, phiX);
    }
};

// The levels of a contour array function (outputs at NoValue on entry).
struct LevelArray {
    std::int32_t count;
    const double* gainRel;
    const double* phi0;
    double* phi;
    double* phiX;
    KAM_Status* status;
    template <class Step>
    KAM_Status operator()(Step&& step) const {
        for (std::int32_t i = 0; i < count; ++i) {
            double level = gainRel[i];
            double x0 = phi0 != nullptr ? phi0[i] : g_host.noValue;
            double a = g_host.noValue, ax = g_host.noValue;
            status[i] = step(&level, &x0, &a, &ax);
            phi[i] = a;
            phiX[i] = ax;
        }
        return 0;
    }
};

// ---- Entry points built from a body ------------------------------------------
//
// An earth body is a type with
//   template <class Angles> static KAM_Status Gain(double* gainMax,
//       double* diameter, double* frequency, double* efficiency, void* specific,
//       const Angles& angles);
// a space body has Gain(gainMax, beamlet, specific, angles) and, where the
// pattern has a contour, Contour(beamlet, specific, levels).

template <class Body>
KAM_Status KAM_CALL EarthGainSlot(double* gainMax, double* diameter, double* frequency,
                                  double* efficiency, void* specific, double* phi, double* phi0,
                                  double* gain, double* gainX) {
    return Body::Gain(gainMax, diameter, frequency, efficiency, specific,
                      OneAngle{phi, phi0, gain, gainX});
}

template <class Body>
KAM_Status KAM_CALL EarthGainArray(double* gainMax, double* diameter, double* frequency,
                                   double* efficiency, void* specific, std::int32_t count,
                                   const double* phi, const double* phi0, double* gain,
                                   double* gainX, KAM_Status* status) {
    if (count <= 0) return 0;
    ArrayEvents events;
    return Body::Gain(gainMax, diameter, frequency, efficiency, specific,
                      AngleArray{count, phi, phi0, gain, gainX, status});
}

template <class Body>
KAM_Status KAM_CALL SpaceGainSlot(double* gainMax, double* beamlet, void* specific, double* phi,
                                  double* phi0, double* gain, double* gainX) {
    return Body::Gain(gainMax, beamlet, specific, OneAngle{phi, phi0, gain, gainX});
}

template <class Body>
KAM_Status KAM_CALL SpaceGainArray(double* gainMax, double* beamlet, void* specific,
                                   std::int32_t count, const double* phi, const double* phi0,
                                   double* gain, double* gainX, KAM_Status* status) {
    if (count <= 0) return 0;
    ArrayEvents events;
    return Body::Gain(gainMax, beamlet, specific,
                      AngleArray{count, phi, phi0, gain, gainX, status});
}

template <class Body>
KAM_Status KAM_CALL ContourSlot(double* gainRel, double* beamlet, void* specific, double* phi0,
                                double* phi, double* phiX) {
    return Body::Contour(beamlet, specific, OneLevel{gainRel, phi0, phi, phiX});
}

template <class Body>
KAM_Status KAM_CALL ContourArray(double* beamlet, void* specific, std::int32_t count,
                                 const double* gainRel, const double* phi0, double* phi,
                                 double* phiX, KAM_Status* status) {
    if (count <= 0) return 0;
    ArrayEvents events;
    return Body::Contour(beamlet, specific, LevelArray{count, gainRel, phi0, phi, phiX, status});
}

// validateAll over many angles: the slot itself (a constant, so its body is
// inlined into the loop) for each element; validateAll slots only check the
// angles and what they are compared with.
template <KAM_EarthValidateAllFn Slot>
KAM_Status KAM_CALL EarthValidateAllArray(double* gainMax, double* diameter, double* frequency,
                                          double* efficiency, void* specific, std::int32_t count,
                                          const double* phi, const double* phi0,
                                          KAM_Status* status) {
    if (count <= 0) return 0;
    ArrayEvents events;
    for (std::int32_t i = 0; i < count; ++i) {
        double x = phi[i];
        double x0 = phi0 != nullptr ? phi0[i] : g_host.noValue;
        status[i] = Slot(gainMax, diameter, frequency, efficiency, specific, &x, &x0);
    }
    return 0;
}

template <KAM_SpaceValidateAllFn Slot>
KAM_Status KAM_CALL SpaceValidateAllArray(double* gainMax, double* beamlet, void* specific,
                                          std::int32_t count, const double* phi,
                                          const double* phi0, KAM_Status* status) {
    if (count <= 0) return 0;
    ArrayEvents events;
    for (std::int32_t i = 0; i < count; ++i) {
        double x = phi[i];
        double x0 = phi0 != nullptr ? phi0[i] : g_host.noValue;
        status[i] = Slot(gainMax, beamlet, specific, &x, &x0);
    }
    return 0;
}

// The array slots of a pattern from its body and, where the pattern has one,
// its validateAll slot. (Two overloads rather than a defaulted null slot:
// some compilers do not take a comparison of a function's address with null
// as a constant expression.)
template <class Body>
constexpr KAM_PatternArraySlots EarthArrays() {
    KAM_PatternArraySlots slots{};
    slots.gain.earth = &EarthGainArray<Body>;
    return slots;
}

template <class Body, KAM_EarthValidateAllFn ValidateAll>
constexpr KAM_PatternArraySlots EarthArrays() {
    KAM_PatternArraySlots slots = EarthArrays<Body>();
    slots.validateAll.earth = &EarthValidateAllArray<ValidateAll>;
    return slots;
}

template <class Body>
constexpr KAM_PatternArraySlots SpaceArrays() {
    KAM_PatternArraySlots slots{};
    slots.gain.space = &SpaceGainArray<Body>;
    if constexpr (requires { &Body::template Contour<OneLevel>; })
        slots.contour.space = &ContourArray<Body>;
    return slots;
}

template <class Body, KAM_SpaceValidateAllFn ValidateAll>
constexpr KAM_PatternArraySlots SpaceArrays() {
    KAM_PatternArraySlots slots = SpaceArrays<Body>();
    slots.validateAll.space = &SpaceValidateAllArray<ValidateAll>;
    return slots;
}

}  // namespace kamstd
