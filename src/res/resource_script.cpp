// Writes the menu, dialog and string resources of the Windows build as a resource script for
// windres, from the same templates and texts as every other build, so that the two cannot drift
// apart. A build-time tool, run on the build machine.
//
//   resource_script OUTPUT.rc

#include <cstdio>
#include <string>

#include "platform/ui/templates.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "res/shell_texts.h"

namespace {

std::string Quoted(const char* text) {
  std::string quoted = "\"";
  for (const char* c = text; *c != '\0'; ++c)
    quoted += *c == '"' ? std::string("\"\"") : std::string(1, *c);
  return quoted + "\"";
}

const char* WindowClass(ControlClass controlClass) {
  switch (controlClass) {
    case ControlClass::Button:
      return "Button";
    case ControlClass::Edit:
      return "Edit";
    case ControlClass::Static:
      return "Static";
    case ControlClass::ListView:
      return "SysListView32";
  }
  return "";
}

void WriteDialog(std::FILE* out, const DialogTemplate& dialog) {
  std::fprintf(out, "%u DIALOGEX 0, 0, %d, %d\nSTYLE 0x%08X\nCAPTION %s\n", dialog.id, dialog.cx,
               dialog.cy, static_cast<unsigned>(dialog.style), Quoted(dialog.caption).c_str());
  if (dialog.exStyle != 0) {
    std::fprintf(out, "EXSTYLE 0x%08X\n", static_cast<unsigned>(dialog.exStyle));
  }
  std::fprintf(out, "FONT %d, %s, 0, 0, 0x1\nBEGIN\n", dialog.pointSize,
               Quoted(dialog.fontName).c_str());
  for (const ControlTemplate& c : dialog.controls) {
    // A control statement adds WS_CHILD and WS_VISIBLE unless told otherwise.
    const std::string visibility = IsVisible(c) ? "" : "NOT WS_VISIBLE | ";
    std::fprintf(out, "  CONTROL %s, %d, \"%s\", %s0x%08X, %d, %d, %d, %d\n",
                 Quoted(c.text).c_str(), c.id, WindowClass(c.controlClass), visibility.c_str(),
                 static_cast<unsigned>(c.style), c.x, c.y, c.cx, c.cy);
  }
  std::fprintf(out, "END\n\n");
}

void WriteMenu(std::FILE* out, const MenuTemplate& menu) {
  std::fprintf(out, "%u MENU\nBEGIN\n  POPUP %s\n  BEGIN\n", menu.id,
               Quoted(menu.popupTitle).c_str());
  for (const MenuItemTemplate& item : menu.items) {
    if (item.text == nullptr) {
      std::fprintf(out, "    MENUITEM SEPARATOR\n");
    } else {
      std::fprintf(out, "    MENUITEM %s, %u\n", Quoted(item.text).c_str(), item.command);
    }
  }
  std::fprintf(out, "  END\nEND\n\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: resource_script OUTPUT.rc\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "// Written by resource_script from src/res; do not edit.\n\n");
  for (const MenuTemplate& menu : ProgramResources().menus) WriteMenu(out, menu);
  for (const DialogTemplate& dialog : ProgramResources().dialogs) WriteDialog(out, dialog);
  std::fprintf(out, "STRINGTABLE\nBEGIN\n  %u, %s\nEND\n", IDP_SOCKETS_INIT_FAILED,
               Quoted(texts::kSocketsInitFailed).c_str());
  return std::fclose(out) == 0 ? 0 : 1;
}
