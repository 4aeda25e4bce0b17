#pragma once

namespace rp {

struct Vga1Services;

// The desktop's picture, colour and save dialogs for whatever `services` leaves empty.
void fillGraphDesktopServices(Vga1Services& services);

} // namespace rp
