#include "shell/cmd.h"

int Cmd_MenuCommand(int id) { return 1; }

int Cmd_KeyHandler(int key, int modifiers, int inView) { return 0; }

int Cmd_HasOwner(int id) { return 0; }
