#pragma once
// A one-line editor for the terminal dialog's paths: the current value is
// edited in place with the arrows, Home, End, Backspace and Delete, as a
// text box edits it.

#include <cstddef>
#include <string>

class LineEditor {
 public:
  enum class Outcome { kEditing, kDone, kEndOfInput };

  explicit LineEditor(std::string text) : text_(std::move(text)), cursor_(text_.size()) {}

  // Applies one key, as the terminal sends it (an escape sequence whole).
  Outcome Apply(const std::string& key);
  // The line redrawn in place: the prompt, the text, the cursor at its place.
  std::string Render(const std::string& prompt) const;

  const std::string& text() const { return text_; }
  std::size_t cursor() const { return cursor_; }

 private:
  void Insert(char c);
  void EraseBefore();
  void EraseAt();

  std::string text_;
  std::size_t cursor_;
};
