#include "database/ui/UUploadLyric.h"

#include "config/USettings.h"
#include "database/UUploadLyric.h"
#include "ui/UActiveText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <exception>

namespace database::ui {

using ::ui::FromActive;
using ::ui::ToActive;

namespace {

// The destinations in the order of the choice box, with the settings' names.
struct TDestination {
    const char* Caption;
    const char* Setting;
};
const TDestination kDestinations[] = {
    {"Versevault", config::kPublishToVersevault},
    {"LRCLIB", config::kPublishToLrclib},
    {"Versevault and LRCLIB", config::kPublishToBoth},
};

const char* const kSubmitCaption = "&Submit";
const char* const kOkCaption = "&Ok";

} // namespace

TUploadLyric::TUploadLyric(database::TUploadLyric& submission, config::TSettings& settings, IUploadHost& host,
                           QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Submission_(submission), Settings_(settings), Host_(host) {
    setObjectName("UploadLyric");
    setWindowTitle("Submit Lyrics");
    setModal(true);
    setFont(QFont("MS Sans Serif", 8));

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    Label1 = label("Label1", "Important!");
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);
    Label2 = label("Label2", "Please make 100% sure the lyrics are correct before submitting them. ");
    Label3 = label("Label3", "All lyrics submitted by our users are highly appreciated.");
    LabelReason1 = label("LabelReason1", "Reason for correction:");
    QFont bold = LabelReason1->font();
    bold.setBold(true);
    LabelReason1->setFont(bold);
    LabelReason2 = label("LabelReason2", "eg: \"line 2 should be xx\"");
    EditCorrectionReason = new QLineEdit(this);
    EditCorrectionReason->setObjectName("EditCorrectionReason");
    Label5 = label("Label5", "Status");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LabelPublishTo = label("LabelPublishTo", "Send to:");
    ComboPublishTo = new QComboBox(this);
    ComboPublishTo->setObjectName("ComboPublishTo");
    for (const auto& d : kDestinations)
        ComboPublishTo->addItem(d.Caption);
    ButtonOk = new QPushButton(kSubmitCaption, this);
    ButtonOk->setObjectName("ButtonOk");
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton("&Cancel", this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setAutoDefault(false);
    connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });

    ShowError = [this](const std::string& message) {
        QMessageBox::critical(this, windowTitle(), FromActive(message), QMessageBox::Ok);
    };

    // The status box follows LRCLIB's proof of work.
    Submission_.Lrclib.OnProgress = [this](const std::string& text) {
        // After the account database's answer, when there was one.
        if (Progress_.empty() && !Submission_.Status().empty()) {
            Progress_ = Submission_.Status();
            if (Progress_.back() != '\n')
                Progress_ += "\r\n";
        }
        Publishing_ = true;
        ButtonCancel->setEnabled(!Closing_);
        SetStatus(Progress_ + text);
    };
    PlaceControls(false);
}

void TUploadLyric::PlaceControls(bool correction) {
    const int reasonRow = correction ? kCorrectionHeight - kNewHeight : 0;
    const int height = correction ? kCorrectionHeight : kNewHeight;
    Label1->setGeometry(8, 6, 344, 14);
    Label2->setGeometry(8, 22, 344, 14);
    Label3->setGeometry(8, 38, 344, 14);
    LabelReason1->setGeometry(8, 58, 140, 14);
    LabelReason2->setGeometry(150, 58, 202, 14);
    EditCorrectionReason->setGeometry(8, 74, 344, 21);
    LabelReason1->setVisible(correction);
    LabelReason2->setVisible(correction);
    EditCorrectionReason->setVisible(correction);
    Label5->setGeometry(8, 58 + reasonRow, 344, 14);
    Memo1->setGeometry(8, 73 + reasonRow, 344, 60);
    LabelPublishTo->setGeometry(8, height - 33, 50, 25);
    ComboPublishTo->setGeometry(58, height - 33, 130, 25);
    ButtonOk->setGeometry(196, height - 33, 75, 25);
    ButtonCancel->setGeometry(277, height - 33, 75, 25);
    setFixedSize(kWidth, height);
}

bool TUploadLyric::PrepareForShow() {
    if (Host_.EditorVisible())
        return false;
    Memo1->clear();
    ButtonOk->setText(kSubmitCaption);
    const bool correction = !Submission_.IsNewSubmission();
    if (correction)
        EditCorrectionReason->clear();
    PlaceControls(correction);
    int chosen = 0;
    for (int i = 0; i < int(std::size(kDestinations)); ++i) {
        if (Settings_.PublishTo() == kDestinations[i].Setting)
            chosen = i;
    }
    ComboPublishTo->setCurrentIndex(chosen);
    Closing_ = false;
    // Centred over the main window.
    if (QWidget* owner = parentWidget())
        move(owner->geometry().center() - QPoint(kWidth / 2, height() / 2));
    return true;
}

void TUploadLyric::ShowSubmitDialog() {
    if (!PrepareForShow())
        return;
    exec();
    QApplication::processEvents();
}

std::string TUploadLyric::ChosenDestination() const {
    const int index = ComboPublishTo->currentIndex();
    return index >= 0 && index < int(std::size(kDestinations)) ? kDestinations[index].Setting
                                                               : config::kPublishToVersevault;
}

void TUploadLyric::SetStatus(const std::string& text) {
    Memo1->setPlainText(FromActive(text));
}

void TUploadLyric::SetBusy(bool busy) {
    Busy_ = busy;
    ButtonOk->setEnabled(!busy);
    ButtonCancel->setEnabled(!busy);
    ComboPublishTo->setEnabled(!busy);
    EditCorrectionReason->setReadOnly(busy);
}

void TUploadLyric::ButtonOkClick() {
    if (Busy_)
        return;
    if (ButtonOk->text() == kOkCaption) {
        accept();
        return;
    }
    const std::string destination = ChosenDestination();
    const std::string reason = ToActive(EditCorrectionReason->text());
    // A correction's reason is for the account's database; LRCLIB alone needs none.
    if (destination != config::kPublishToLrclib && Submission_.ReasonMissing(reason)) {
        ShowError(kNoReasonMessage);
        return;
    }
    Settings_.SetPublishTo(destination);
    SetBusy(true);
    Progress_.clear();
    SetStatus("Uploading..");
    QApplication::processEvents();
    try {
        Submission_.SubmitTo(destination, reason);
        SetStatus(Submission_.Status());
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
    Publishing_ = false;
    SetBusy(false);
    ButtonOk->setText(kOkCaption);
}

void TUploadLyric::ButtonCancelClick() {
    if (Busy_) {
        if (Publishing_)
            Submission_.Lrclib.Cancel();
        return;
    }
    reject();
}

void TUploadLyric::reject() {
    // Esc during a request: only LRCLIB's proof of work can be ended, the dialog stays.
    if (Busy_ && !Closing_) {
        if (Publishing_)
            Submission_.Lrclib.Cancel();
        return;
    }
    QDialog::reject();
}

void TUploadLyric::closeEvent(QCloseEvent* event) {
    if (Busy_ && !Closing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TUploadLyric::AbortForClose() {
    Closing_ = true;
    Submission_.Cancel();
    if (isVisible())
        done(QDialog::Rejected);
}

} // namespace database::ui
