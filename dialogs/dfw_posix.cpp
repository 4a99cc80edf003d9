// The native build has no dialogs: no brushes to make.
void Dfw_PlatformBrushes(int create) {}
