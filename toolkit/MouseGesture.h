#pragma once
// Mouse gesture recogniser: follows the cursor from a button press to its release and turns the trail into
// a string of direction codes: "U", "D", "L", "R" for up, down, left and right, and the digits of a numeric
// keypad for the diagonals ("7" up-left, "9" up-right, "1" down-left, "3" down-right). Screen y grows
// downwards.
//
// Every TrailInterval-th reported point is taken into the trail, at most TrailLimit points. Whenever the
// cursor has moved Grid pixels (in x or y) from the last reference point, the direction of that step is
// appended unless it repeats the last code, and the point becomes the new reference. A pause of more than
// Delay ms between trail points starts the gesture afresh from where the cursor is.

#include <cstdint>
#include <string>

namespace toolkit {

class TMouseGesture {
public:
    int TrailLimit = 1000;
    int TrailInterval = 2;
    int Grid = 15;
    std::uint32_t Delay = 500;
    // An inactive recogniser never tracks.
    bool Active = false;

    void Start(int x, int y, std::uint32_t tick);
    void Trail(int x, int y, std::uint32_t tick);
    // Ends tracking; the recognised gesture, empty when there is none.
    std::string End();

    bool Tracking() const { return Tracking_; }
    const std::string& Gesture() const { return Code_; }

    // The direction code of a step (dx, dy), or 0 for no movement.
    static char DirectionOf(int dx, int dy);

private:
    bool Tracking_ = false;
    std::string Code_;
    int AnchorX_ = 0, AnchorY_ = 0;
    int Points_ = 0;
    int Reported_ = 0;
    std::uint32_t LastTick_ = 0;
};

} // namespace toolkit
