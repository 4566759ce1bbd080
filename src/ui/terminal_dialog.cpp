#include "ui/terminal_dialog.h"

#include <cctype>
#include <vector>

#include "platform/platform.h"
#include "core/dialog.h"
#include "ui/layout.h"
#include "ui/line_editor.h"
#include "util/strings.h"
#include "version.h"

namespace {

// The four boxes in the dialog's focus order.
struct Box {
  char key;
  std::string_view name;
  int MainDialog::*value;
};
constexpr Box kBoxes[] = {
    {'3', "CONFIG_DAT", &MainDialog::CONFIG_DAT},
    {'4', "SPS_SUB", &MainDialog::SPS_SUB},
    {'5', "IR_STOPM_SRC", &MainDialog::IR_STOPM_SRC},
    {'6', "Userfiles", &MainDialog::Userfiles},
};

// The caption the window shows on the control.
std::string Caption(std::string_view name) {
  const ControlLayout* control = SettingsLayout().Find(name);
  return control ? std::string(control->caption) : std::string(name);
}

const char* kPrompt = "Choice: ";
const char* kHint = "Type 1 to 6, a, d, r or x, then Enter.\n";

std::string Padded(const std::string& text, std::size_t width) {
  return text.size() < width ? text + std::string(width - text.size(), ' ') : text + " ";
}

std::string IconTitle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kCritical:
      return " - Error";
    case MessageIcon::kInformation:
      return " - Information";
    case MessageIcon::kNone:
      break;
  }
  return "";
}

// The text's lines; a line break in a message is CR LF.
std::vector<std::string> MessageLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

class TerminalDialog {
 public:
  TerminalDialog(Context& context, const Console& console)
      : context_(context), dialog_(context.UI), console_(console) {}

  // Returns at the end of input; Exit ends the process by ProcessEnd.
  void Run() {
    console_.Write(DialogForm(dialog_));
    std::string choice;
    while (Prompt(kPrompt, choice)) {
      if (Handle(util::Trim(choice)))
        console_.Write(DialogForm(dialog_));
      else
        console_.Write(kHint);
    }
    console_.Write("\n");
  }

 private:
  bool Prompt(const std::string& prompt, std::string& line) {
    if (console_.DropTypeAhead) console_.DropTypeAhead();
    console_.Write(prompt);
    return console_.ReadLine(line);
  }

  // False when the choice is none of the form's.
  bool Handle(const std::string& choice) {
    if (choice.size() != 1) return false;
    char key = static_cast<char>(std::tolower(static_cast<unsigned char>(choice[0])));
    if (key == '1') return EditPath(Caption("Label1") + " ", dialog_.SourcePath);
    if (key == '2') return EditPath(Caption("Label2") + " ", dialog_.DestPath);
    for (const Box& box : kBoxes) {
      if (key != box.key) continue;
      int& value = dialog_.*box.value;
      value = MainDialog::Ticked(value) ? 0 : 1;
      return true;
    }
    if (key == 'a') dialog_.SelAll_Click();
    else if (key == 'd') dialog_.DeselAll_Click();
    else if (key == 'r') RunAndReport();
    else if (key == 'x') dialog_.Leave_Click();
    else return false;
    return true;
  }

  // On a terminal the path is edited in place, as in the window's text box.
  // Elsewhere Enter keeps it and anything typed replaces it exactly as typed.
  bool EditPath(const std::string& label, std::string& path) {
    if (console_.EditLine) {
      if (console_.DropTypeAhead) console_.DropTypeAhead();
      std::string edited = path;
      if (console_.EditLine(label, edited)) path = edited;
      return true;
    }
    std::string typed;
    if (Prompt(label + "[" + path + "] ", typed) && !typed.empty()) path = typed;
    return true;
  }

  void RunAndReport() {
    if (console_.Echo) console_.Echo(false);
    const bool ran = dialog_.Run_Click(context_);
    if (console_.Echo) console_.Echo(true);
    if (!ran) return;
    console_.Write("\nRun ended with " + std::to_string(context_.ErrorCount) +
                   " error(s). Log: " + platform::HostPath(context_.LogFilePath) + "\n");
    // The summary names the backup with the rest; without it, the backup
    // is named alone.
    if (console_.Summary)
      console_.Write(console_.Summary());
    else if (!context_.Record.backupFolder.empty())
      console_.Write("Backup: " + platform::HostPath(context_.Record.backupFolder) + "\n");
  }

  Context& context_;
  MainDialog& dialog_;
  const Console& console_;
};

}  // namespace

std::string DialogForm(const MainDialog& dialog) {
  std::string form = "\n" + std::string(SettingsLayout().caption) + "\n";
  form += "  " + Caption("Frame2") + "\n";
  form += "    1  " + Padded(Caption("Label1"), 15) + dialog.SourcePath + "\n";
  form += "    2  " + Padded(Caption("Label2"), 15) + dialog.DestPath + "\n";
  form += "  " + Caption("Frame1") + "\n";
  for (const Box& box : kBoxes) {
    form += std::string("    ") + box.key + "  [" + (MainDialog::Ticked(dialog.*box.value) ? "x" : " ") +
            "] " + Caption(box.name) + "\n";
  }
  form += "    a  " + Padded(Caption("SelAll"), 16) + "d  " + Caption("DeselAll") + "\n";
  form += "    r  " + Padded(Caption("Run"), 16) + "x  " + Caption("Leave") + "\n";
  return form;
}

void ShowConsoleMessage(const Console& console, const std::string& text, MessageIcon icon) {
  std::string shown = "\n" + std::string(vantrel::kProgramTitle) + IconTitle(icon) + "\n";
  for (const std::string& line : MessageLines(text)) shown += "  " + line + "\n";
  // An Enter typed during the run must not dismiss a box nobody has seen.
  if (console.DropTypeAhead) console.DropTypeAhead();
  console.Write(shown + "OK (Enter) ");
  std::string ignored;
  console.ReadLine(ignored);
}

namespace {

bool EditOnTerminal(const std::string& prompt, std::string& line) {
  if (!platform::BeginKeyInput()) {
    // No terminal after all: the path is typed anew.
    platform::WriteStdout(prompt + "[" + line + "] ");
    std::string typed;
    if (!platform::ReadStdinLine(typed)) return false;
    if (!typed.empty()) line = typed;
    return true;
  }
  LineEditor editor(line);
  platform::WriteStdout(editor.Render(prompt));
  LineEditor::Outcome outcome = LineEditor::Outcome::kEditing;
  std::string key;
  while (outcome == LineEditor::Outcome::kEditing) {
    if (!platform::ReadKey(key)) {
      outcome = LineEditor::Outcome::kEndOfInput;
      break;
    }
    outcome = editor.Apply(key);
    platform::WriteStdout(editor.Render(prompt));
  }
  platform::EndKeyInput();
  platform::WriteStdout("\n");
  if (outcome == LineEditor::Outcome::kEndOfInput) return false;
  line = editor.text();
  return true;
}

}  // namespace

Console TerminalConsole() {
  Console console;
  console.ReadLine = platform::ReadStdinLine;
  console.Write = platform::WriteStdout;
  console.EditLine = EditOnTerminal;
  console.DropTypeAhead = platform::DropTypeAhead;
  console.Echo = platform::SetTerminalEcho;
  return console;
}

int RunTerminalDialog(Context& context, const Console& console) {
  context.ShowMessageBox = [&console](const std::string& text, MessageIcon icon) {
    ShowConsoleMessage(console, text, icon);
  };
  int exitCode = 0;
  try {
    TerminalDialog(context, console).Run();
  } catch (const ProcessEnd& end) {
    exitCode = end.exitCode;
  }
  context.ShowMessageBox = nullptr;
  return exitCode;
}
