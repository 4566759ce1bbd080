#include "ui/line_editor.h"

#include <array>
#include <string_view>

namespace {

enum class Key { kNone, kLeft, kRight, kHome, kEnd, kBackspace, kDelete, kClear, kEnter, kCtrlD };

struct Binding {
  std::string_view bytes;
  Key key;
};

// What terminals send for the keys the editor knows, in their common forms.
constexpr std::array<Binding, 21> kBindings{{
    {"\x1b[D", Key::kLeft},    {"\x1bOD", Key::kLeft},    {"\x02", Key::kLeft},
    {"\x1b[C", Key::kRight},   {"\x1bOC", Key::kRight},   {"\x06", Key::kRight},
    {"\x1b[H", Key::kHome},    {"\x1bOH", Key::kHome},    {"\x1b[1~", Key::kHome},
    {"\x01", Key::kHome},      {"\x1b[F", Key::kEnd},     {"\x1bOF", Key::kEnd},
    {"\x1b[4~", Key::kEnd},    {"\x05", Key::kEnd},       {"\x7f", Key::kBackspace},
    {"\x08", Key::kBackspace}, {"\x1b[3~", Key::kDelete}, {"\x15", Key::kClear},
    {"\r", Key::kEnter},       {"\n", Key::kEnter},       {"\x04", Key::kCtrlD},
}};

Key KeyOf(const std::string& bytes) {
  for (const Binding& binding : kBindings)
    if (bytes == binding.bytes) return binding.key;
  return Key::kNone;
}

// A byte that is no control character: a code-page character as typed.
bool IsText(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 && byte != 0x7f;
}

}  // namespace

LineEditor::Outcome LineEditor::Apply(const std::string& key) {
  switch (KeyOf(key)) {
    case Key::kLeft:
      if (cursor_ > 0) --cursor_;
      break;
    case Key::kRight:
      if (cursor_ < text_.size()) ++cursor_;
      break;
    case Key::kHome:
      cursor_ = 0;
      break;
    case Key::kEnd:
      cursor_ = text_.size();
      break;
    case Key::kBackspace:
      EraseBefore();
      break;
    case Key::kDelete:
      EraseAt();
      break;
    case Key::kClear:
      text_.erase(0, cursor_);
      cursor_ = 0;
      break;
    case Key::kEnter:
      return Outcome::kDone;
    case Key::kCtrlD:
      // Ctrl-D ends the input on an empty line, as a shell does, and
      // deletes under the cursor otherwise.
      if (text_.empty()) return Outcome::kEndOfInput;
      EraseAt();
      break;
    case Key::kNone:
      // A key the editor does not know does nothing; pasted text comes as
      // several bytes at once, and each is inserted.
      if (!key.empty() && key[0] == '\x1b') break;
      for (char byte : key)
        if (IsText(byte)) Insert(byte);
      break;
  }
  return Outcome::kEditing;
}

std::string LineEditor::Render(const std::string& prompt) const {
  // Back to the line's start, the whole line, the rest of the old one
  // cleared, then the cursor back from the end to its place.
  std::string shown = "\r" + prompt + text_ + "\x1b[K";
  if (cursor_ < text_.size()) shown += "\x1b[" + std::to_string(text_.size() - cursor_) + "D";
  return shown;
}

void LineEditor::Insert(char c) {
  text_.insert(cursor_, 1, c);
  ++cursor_;
}

void LineEditor::EraseBefore() {
  if (cursor_ == 0) return;
  text_.erase(--cursor_, 1);
}

void LineEditor::EraseAt() {
  if (cursor_ < text_.size()) text_.erase(cursor_, 1);
}
