#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets, one folder per target, in each target's input layout
(described at the top of fuzz/<target>_fuzz.cpp). Run it again after changing a layout."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def seed(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def u8(*values):
    return bytes(v & 0xFF for v in values)


def u16(*values):
    return b"".join(struct.pack("<H", v & 0xFFFF) for v in values)


def u32(*values):
    return b"".join(struct.pack("<I", v & 0xFFFFFFFF) for v in values)


def lparam(x, y):
    return (x & 0xFFFF) | ((y & 0xFFFF) << 16)


# gauge_model: switch byte, then events (0 size, 1 mouse 0x200 + n, 2 any message, 3 key, 4 'I', 5 'V').
def size(w, h):
    return u8(0) + u16(w, h)


def mouse(n, x, y):
    return u8(1, n) + u32(lparam(x, y))


seed("gauge_model", "drag_arm_and_base",
     u8(1) + mouse(1, 300, 100) + mouse(0, 450, 300) + mouse(2, 450, 300) + mouse(4, 500, 300)
     + mouse(0, 10, 590) + mouse(5, 10, 590) + mouse(0, 0, 0))
seed("gauge_model", "minimised_then_restored",
     u8(0) + size(0, 0) + mouse(1, 0, 0) + size(800, 601) + mouse(0, 799, 600) + mouse(3, 5, 5))
seed("gauge_model", "keys_with_swap_control",
     u8(1) + u8(4) + u8(5) + u8(5) + u8(3) + u32(ord("v")) + u8(2) + u32(0x100) + u32(0x56))
seed("gauge_model", "largest_window_corners",
     u8(1) + size(65535, 65535) + mouse(1, 65535, 65535) + mouse(0, 0, 65535) + mouse(4, 65535, 0))

# frame_rate: mode byte; odd: start tick, then per-frame steps; even: meter state, then raw ticks.
seed("frame_rate", "steady_60_hz", u8(1) + u32(0) + u32(*[16] * 150))
seed("frame_rate", "stopped_clock", u8(1) + u32(5000) + u32(*[0] * 150))
# Ticks of 16 ms from 1 s before the 32-bit tick count turns negative, 24.8 days after start.
seed("frame_rate", "wrap_after_24_days", u8(1) + u32(0x7FFFFFFF - 1000) + u32(*[16] * 150))
# The 70th frame measures against a tick from just before the wrap.
seed("frame_rate", "measure_across_the_wrap", u8(0, 69) + u32(0x7FFFFFFF, 0) + u32(*[-100] * 4))
seed("frame_rate", "clock_going_backwards", u8(0) + u8(69) + u32(1000, 1000) + u32(*range(900, 0, -100)))

# event_translate: client size, atoms (WM_PROTOCOLS, WM_DELETE_WINDOW, _NET_WM_PING), root, keysym,
# then one XEvent as Xlib lays it out on x86-64 (192 bytes).
def xevent(fields):
    raw = bytearray(192)
    for offset, fmt, value in fields:
        struct.pack_into(fmt, raw, offset, value)
    return bytes(raw)


def translate(event, keysym=ord("x"), w=600, h=600):
    return u16(w, h) + u32(301, 302, 303, 0x1E1) + u32(keysym) + event


def button(kind, x, y, number):
    return xevent([(0, "<i", kind), (64, "<i", x), (68, "<i", y), (84, "<I", number)])


seed("event_translate", "left_press_inside", translate(button(4, 300, 200, 1)))
seed("event_translate", "right_release_at_last_pixel", translate(button(5, 599, 599, 3)))
seed("event_translate", "motion_just_outside", translate(xevent([(0, "<i", 6), (64, "<i", 600), (68, "<i", 10)])))
seed("event_translate", "ctrl_x_press", translate(xevent([(0, "<i", 2), (80, "<I", 4)])))
# The Turkish layouts' I key, which types a dotless i (keysym 0x2B9).
seed("event_translate", "dotless_i_press", translate(xevent([(0, "<i", 2)]), keysym=0x2B9))
seed("event_translate", "wm_delete_window",
     translate(xevent([(0, "<i", 33), (40, "<Q", 301), (48, "<i", 32), (56, "<q", 302)])))
seed("event_translate", "net_wm_ping",
     translate(xevent([(0, "<i", 33), (40, "<Q", 301), (48, "<i", 32), (56, "<q", 303), (64, "<q", 12345)])))
seed("event_translate", "configure_to_800_by_500", translate(xevent([(0, "<i", 22), (56, "<i", 800), (60, "<i", 500)])))

# accelerator_match: selector, key byte ('A' + n), modifier bits (1 Shift, 2 Ctrl, 4 Alt), entries.
def accel(flags, key, command):
    return u8(flags) + u16(key, command)


ctrl_x = accel(0x0B, ord("X"), 40001)  # FVIRTKEY | FNOINVERT | FCONTROL
seed("accelerator_match", "ctrl_x", u8(0, 23, 2) + ctrl_x)
seed("accelerator_match", "plain_x", u8(0, 23, 0) + ctrl_x)
seed("accelerator_match", "first_of_two_matches",
     u8(0, 23, 3) + accel(0x0D, ord("X"), 1) + accel(0x0F, ord("X"), 2) + accel(0x0F, ord("X"), 3))
seed("accelerator_match", "character_entry_and_wm_char", u8(1) + u32(0x102) + u8(23, 0) + accel(0x00, ord("X"), 5))

# color_key: width, height, key red/green/blue, then a byte a pixel (0-2 key, 3-5 near key, else grey).
seed("color_key", "all_key_4x4", u8(4, 4, 0, 0, 0) + bytes(16))
seed("color_key", "no_key_3x2", u8(3, 2, 0, 0, 0) + u8(*[200] * 6))
ring = [[9 if 2 <= x <= 5 and 2 <= y <= 5 and not (3 <= x <= 4 and 3 <= y <= 4) else 0 for x in range(8)]
        for y in range(8)]
seed("color_key", "ring_8x8", u8(8, 8, 255, 0, 255) + u8(*[v for row in ring for v in row]))
seed("color_key", "near_key_channels", u8(6, 1, 10, 20, 30) + u8(0, 1, 2, 3, 4, 5))
seed("color_key", "negative_width", u8(0x85, 3, 0, 0, 0))

# property_values: two alphas, icon count and sizes, then the title.
seed("property_values", "clear_and_opaque", u8(0, 255, 2, 2, 1) + b"Tessivar")
seed("property_values", "latin1_title", u8(128, 127, 0) + b"Winkel \xe9\xe0\xff\x80 \xb0")
seed("property_values", "empty_icon_and_title", u8(200, 201, 1, 0))

# message_box_layout: ascent, descent, label width, click x, y, then the text.
seed("message_box_layout", "two_line_message",
     u16(11, 2, 12, 130, 70) + b"No pixel format fits this display.\nTessivar will exit.")
seed("message_box_layout", "empty_text", u16(0, 0, 0, 0, 0))
seed("message_box_layout", "largest_metrics", u16(32767, 32767, 32767, 0xFFFF, 0x8000) + b"a\n\nb\n")

# swap_control: name selector (0-2 the swap controls, 3 empty, else a made-up name), then the list.
seed("swap_control", "llvmpipe_list",
     u8(1) + b"GLX_ARB_create_context GLX_ARB_multisample GLX_EXT_visual_info GLX_MESA_copy_sub_buffer "
     b"GLX_MESA_query_renderer GLX_SGIX_fbconfig GLX_SGI_make_current_read ")
seed("swap_control", "longer_names_around", u8(0) + b"GLX_EXT_swap_control_tear XGLX_EXT_swap_control GLX_SGI_swap_control")
seed("swap_control", "made_up_name_twice", u8(9, 4, 0, 1, 2, 3) + b"ABCD  ABCD\x00 GLX_EXT_swap_control")
