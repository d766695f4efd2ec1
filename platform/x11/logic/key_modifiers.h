#pragma once
// The modifier keys held when a key event happened.

struct KeyModifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
};
