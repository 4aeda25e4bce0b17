#pragma once

namespace rp {

struct GraphWindowServices;

// The desktop's picture, colour and save dialogs for whatever `services` leaves empty.
void fillGraphDesktopServices(GraphWindowServices& services);

} // namespace rp
