// The wiring of the layers: start-up installs the hooks through which the
// model, the operation and the platform layers tell the world above them
// (a cell changed, the clock ticked, the layout was modified).
#pragma once

void Wire_InstallHooks(void);
