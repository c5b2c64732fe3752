#pragma once
// The submission dialog "Submit Lyrics": a small modal dialog that sends the current lyrics through the
// submission logic (database::TUploadLyric) to the account's lyric database, to LRCLIB or to both, and shows
// the answer in its status box. A correction asks for its reason.
//
// Ownership: the main window creates the one dialog as its child and keeps the submission logic and the
// settings alive longer than it. While a request runs the dialog cannot be closed; the proof of work of
// LRCLIB can be cancelled with "&Cancel", and AbortForClose ends everything at once when the program closes.

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace config {
class TSettings;
}

namespace database {

class IUploadHost;
class TUploadLyric;

namespace ui {

class TUploadLyric : public QDialog {
public:
    static constexpr int kWidth = 360;
    static constexpr int kNewHeight = 172;        // without the reason row
    static constexpr int kCorrectionHeight = 213; // with it

    TUploadLyric(database::TUploadLyric& submission, config::TSettings& settings, IUploadHost& host,
                 QWidget* parent);

    // Opens the dialog modally (nothing while the timing editor is open); pending events run after it
    // closed.
    void ShowSubmitDialog();
    // Prepares the dialog for an opening: the status emptied, "&Submit", the reason row for corrections,
    // the destination from the settings. False while the timing editor is open.
    bool PrepareForShow();
    // The program is closing: a running request or proof of work ends at once and the dialog closes.
    void AbortForClose();
    bool Busy() const { return Busy_; }

    // Shows an error with an OK button (a message box unless replaced, e.g. by tests).
    std::function<void(const std::string&)> ShowError;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LabelReason1 = nullptr;
    QLabel* LabelReason2 = nullptr;
    QLineEdit* EditCorrectionReason = nullptr;
    QLabel* Label5 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* LabelPublishTo = nullptr;
    QComboBox* ComboPublishTo = nullptr; // Versevault, LRCLIB, both: the settings' PublishTo
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;

    void ButtonOkClick();
    void ButtonCancelClick();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void PlaceControls(bool correction);
    void SetStatus(const std::string& text);
    std::string ChosenDestination() const;
    void SetBusy(bool busy);

    database::TUploadLyric& Submission_;
    config::TSettings& Settings_;
    IUploadHost& Host_;
    bool Busy_ = false;
    bool Publishing_ = false; // LRCLIB's part is running: "&Cancel" cancels it
    bool Closing_ = false;
    std::string Progress_;
};

} // namespace ui
} // namespace database
