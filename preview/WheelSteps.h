#pragma once
// Wheel turns in whole steps of 120 (eighths of a degree, one notch of a
// common wheel). Touchpads and fine-stepped wheels send parts of a step:
// they add up, and a turn the other way starts afresh.
namespace quillet {

class WheelSteps {
public:
    // The whole steps the turns so far make (positive away from the user).
    int Add(int angle)
    {
        if ((angle > 0 && rest_ < 0) || (angle < 0 && rest_ > 0))
            rest_ = 0;
        rest_ += angle;
        const long long steps = rest_ / kStep;
        rest_ -= steps * kStep;
        return static_cast<int>(steps);
    }
    void Reset() { rest_ = 0; }

    static constexpr int kStep = 120;

private:
    long long rest_ = 0;
};

} // namespace quillet
