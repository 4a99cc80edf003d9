// The wiring of the layers: start-up installs the hooks through which the
// model and the operation layer tell the layers above them what happened (a
// cell changed, the layout was modified, a simulated minute passed) and ask
// them what only they know (the active view, the position marks, the vehicle
// catalogue, display options).
//
// Owns nothing but the one place where every such hook is installed; the
// shell-side ends of the hooks live here too. Start-up calls it first thing
// in module initialisation; tests that rely on the upward calls call it in
// their fixtures.
#pragma once

// Installs every hook: Grid_SetViewHooks, Lay_SetHooks, Genl_SetHooks,
// Clk_SetHooks, Trn_SetHooks, Hst_SetHooks, Map_SetShellHooks (the active
// and followed view). Calling it again changes nothing.
void Wire_InstallHooks(void);
