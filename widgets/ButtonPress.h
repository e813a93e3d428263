// The pressed state of a push button, as plain logic: a left press, moves
// while the button is held, the release, and the space bar. The widgets
// decide what "on the button" means (rectangle or shape) and whether a press
// takes the focus; this decides when the face changes and what clicks.
//
// Thread contract: a plain value of its widget; main thread with it.
#pragma once

namespace widgets {

struct PushTracker
{
    bool down = false;     // the face shows pressed
    bool tracking = false; // the left button is held since a press on the button
    bool pressed = false;  // that press may still click when let go

    // A left press on the button; true when the face changes.
    bool Press()
    {
        pressed = true;
        tracking = true;
        if (down)
            return false;
        down = true;
        return true;
    }
    // The press of a double click: it raises no click of its own.
    void PressWithoutClick() { pressed = false; }
    // The pointer moved; true when the face changes.
    bool Move(bool inside)
    {
        if (!tracking || inside == down)
            return false;
        down = inside;
        return true;
    }
    // The left button let go: whether that is a click.
    bool ReleaseClicks(bool inside)
    {
        const bool click = pressed && inside;
        pressed = false;
        return click;
    }
    // After the release: true when there was a press to end.
    bool EndTracking()
    {
        if (!tracking)
            return false;
        down = false;
        tracking = false;
        return true;
    }
    // The space bar pressed (held keys repeat: the caller passes the first
    // press only); true when the face changes.
    bool SpaceDown()
    {
        if (down)
            return false;
        tracking = false;
        down = true;
        return true;
    }
    // The space bar let go: a click unless the mouse holds the button.
    bool SpaceUpClicks() const { return down && !tracking; }
    // Clicked, disabled or the focus gone.
    void Reset()
    {
        down = false;
        tracking = false;
    }
};

} // namespace widgets
