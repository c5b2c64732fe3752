#pragma once
// The tags dialog of the timing editor ("Tags"): the header lines of an LRC file ([ar:...], [ti:...], ...),
// one per line, as the document stores them. Modeless; it keeps its text while closed. Owned by the editor.

#include <QDialog>

#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace editor {

class TFormEditLyricsTags : public QDialog {
public:
    explicit TFormEditLyricsTags(QWidget* parent = nullptr);

    void SetTags(const std::vector<std::string>& tags);
    // The memo's lines as program text.
    std::vector<std::string> TagLines() const;

    QPlainTextEdit& MemoTags() { return *MemoTags_; }
    QPushButton& ButtonOk() { return *ButtonOk_; }

private:
    QPlainTextEdit* MemoTags_ = nullptr;
    QPushButton* ButtonOk_ = nullptr;
};

} // namespace editor
