// The native build shows no dialogs: every dialog of the file commands
// answers as if the user had cancelled it, and nothing changes.
#include "dialogs/dfw.h"
#include "shell/filedlg.h"

int File_PictureOptions(void*) { return DLG_RESULT_CANCEL; }
int File_TextExportOptions(void*) { return DLG_RESULT_CANCEL; }
void File_LogOptions(void) {}
void File_SetProtectCode(void) {}
void File_ListUzg(void) {}
void File_ListUz1(void) {}
void File_ListNfz(void) {}
void File_ColourSettings(void) {}
u32 File_ChooseColour(void*, u32 colour) { return colour; }
void File_BackgroundPicture(void) {}
int File_AskCodePrompt(void) { return 1; }
int File_AskPendingMessages(void) { return 0; }
void File_SetMessageListHook(void (*)(void)) {}
void* File_HookProc(void) { return nullptr; }
