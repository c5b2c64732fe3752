#pragma once
// Turns wheel movement into whole steps. A classic wheel reports 120 units a notch; high-resolution wheels
// and touchpads report a notch in many small parts. The parts are added up and every full 120 units make
// one step, so a notch acts once however finely it is reported. Turning the other way drops what was left
// of the old direction, so a step back never has to undo a part-notch first.

namespace toolkit {

class TWheelAccumulator {
public:
    static constexpr int kUnitsPerStep = 120;

    // Adds delta units; the whole steps they complete: positive for up (away from the user), negative for
    // down, 0 while a step is not complete yet.
    int Add(int delta);
    // Forgets a part-step (the wheel's target changed).
    void Reset() { Rest_ = 0; }
    int Rest() const { return Rest_; }

private:
    int Rest_ = 0;
};

} // namespace toolkit
