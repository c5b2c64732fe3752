#include "editor/UEditTags.h"

#include "display/UActiveText.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace editor {

TFormEditLyricsTags::TFormEditLyricsTags(QWidget* parent) : QDialog(parent) {
    setObjectName("FormEditLyricsTags");
    setWindowTitle("Tags");
    setModal(false);
    resize(275, 179);
    MemoTags_ = new QPlainTextEdit(this);
    MemoTags_->setObjectName("MemoTags");
    MemoTags_->setLineWrapMode(QPlainTextEdit::NoWrap);
    ButtonOk_ = new QPushButton("&Ok", this);
    ButtonOk_->setObjectName("ButtonOk");
    ButtonOk_->setDefault(true);
    connect(ButtonOk_, &QPushButton::clicked, this, [this] { close(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(MemoTags_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk_);
    layout->addLayout(buttons);
}

void TFormEditLyricsTags::SetTags(const std::vector<std::string>& tags) {
    QStringList lines;
    for (const std::string& tag : tags)
        lines << display::FromActive(tag);
    MemoTags_->setPlainText(lines.join('\n'));
}

std::vector<std::string> TFormEditLyricsTags::TagLines() const {
    std::vector<std::string> lines;
    for (QTextBlock block = MemoTags_->document()->begin(); block.isValid(); block = block.next())
        lines.push_back(display::ToActive(block.text()));
    return lines;
}

} // namespace editor
