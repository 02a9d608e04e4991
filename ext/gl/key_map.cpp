#include "key_map.h"

#include <X11/keysym.h>

namespace gllib {

namespace {

struct KeyPair {
    unsigned long keysym;
    int vk;
};

constexpr KeyPair kKeys[] = {
    {XK_BackSpace, 0x08}, {XK_Tab, 0x09},       {XK_Return, 0x0D},    {XK_KP_Enter, 0x0D},
    {XK_Shift_L, 0x10},   {XK_Shift_R, 0x10},   {XK_Control_L, 0x11}, {XK_Control_R, 0x11},
    {XK_Alt_L, 0x12},     {XK_Alt_R, 0x12},     {XK_Meta_L, 0x12},    {XK_Meta_R, 0x12},
    {XK_Pause, 0x13},     {XK_Caps_Lock, 0x14}, {XK_Escape, 0x1B},    {XK_space, 0x20},
    {XK_Prior, 0x21},     {XK_Next, 0x22},      {XK_End, 0x23},       {XK_Home, 0x24},
    {XK_Left, 0x25},      {XK_Up, 0x26},        {XK_Right, 0x27},     {XK_Down, 0x28},
    {XK_Insert, 0x2D},    {XK_Delete, 0x2E},    {XK_KP_Prior, 0x21},  {XK_KP_Next, 0x22},
    {XK_KP_Home, 0x24},   {XK_KP_Left, 0x25},   {XK_KP_Up, 0x26},     {XK_KP_Right, 0x27},
    {XK_KP_Down, 0x28},   {XK_KP_End, 0x23},
};

}  // namespace

int virtual_key_of(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return int('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return int('A' + (keysym - XK_A));
    if (keysym >= XK_0 && keysym <= XK_9) return int('0' + (keysym - XK_0));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return int(0x60 + (keysym - XK_KP_0));
    if (keysym >= XK_F1 && keysym <= XK_F24) return int(0x70 + (keysym - XK_F1));
    for (const KeyPair &k : kKeys) {
        if (k.keysym == keysym) return k.vk;
    }
    return 0;
}

int mouse_message_of(unsigned button, bool down, bool doubleClick) {
    int first = 0;
    switch (button) {
    case 1: first = kLeftDown; break;
    case 2: first = kMiddleDown; break;
    case 3: first = kRightDown; break;
    default: return 0;
    }
    if (!down) return first + 1;
    return doubleClick ? first + 2 : first;
}

}  // namespace gllib
