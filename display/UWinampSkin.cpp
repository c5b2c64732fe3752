#include "display/UWinampSkin.h"

#include "display/UActiveText.h"
#include "display/USkinImage.h"
#include "player/EasyAmp.h"

#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <functional>

namespace display {

namespace {

constexpr int kLong = 4000; // longer than any window

// The nearest integer, halves to the even neighbour.
int Rnd(double value) {
    return int(std::nearbyint(value));
}

const char* const kSearchTexts[] = {"Search", "Cancel Search", "Search Again"};
const char* const kSearchHints[] = {"Search for lyrics", "Do not search lyrics for current song",
                                    "Search next site for lyrics"};
const int kSearchTextX[] = {29, 16, 18};

} // namespace

std::string MinutesSecondsText(int milliseconds) {
    const int seconds = std::max(milliseconds, 0) / 1000;
    const int s = seconds % 60;
    return std::to_string(seconds / 60) + ":" + (s < 10 ? "0" : "") + std::to_string(s);
}

TWASkin::TWASkin(player::TPlayerSession& session, IFrameHost& host, TScrollState& scroll, QObject* parent)
    : QObject(parent), Scroll(scroll), ButtonFont("MS Sans Serif", 8), Session_(session), Host_(host) {
    TimerUpdateSongInfo.setInterval(150);
    connect(&TimerUpdateSongInfo, &QTimer::timeout, this, [this] { SongInfoTimer(); });
    TimerUpdateSongInfo.start();
}

TWASkin::~TWASkin() = default;

TSkinImage* TWASkin::Control(const char* name) const {
    return MainWindow_ ? MainWindow_->findChild<TSkinImage*>(name) : nullptr;
}

void TWASkin::AttachFrame(QWidget* mainWindow) {
    MainWindow_ = mainWindow;
    auto make = [&](const char* name) { return new TSkinImage(mainWindow, name); };
    TopBorder_ = make("TopBorder");
    BottomBorder_ = make("BottomBorder");
    LeftBorder_ = make("LeftBorder");
    RightBorder_ = make("RightBorder");
    StatusStrip_ = make("StatusStrip");
    SearchButton_ = make("SearchButton");
    EditButton_ = make("EditButton");
    OnTopButton_ = make("OnTopButton");
    SubmitButton_ = make("SubmitButton");
    ScrollTrack_ = make("ScrollTrack");
    ScrollThumb_ = make("ScrollThumb");
    ScrollUpButton_ = make("ScrollUpButton");
    ScrollDownButton_ = make("ScrollDownButton");

    SearchButton_->setToolTip(kSearchHints[0]);
    EditButton_->setToolTip("Edit Lyrics");
    OnTopButton_->setToolTip("Toggle Always on top");
    SubmitButton_->setToolTip("Submit Lyric..");

    for (TSkinImage* border : {TopBorder_, BottomBorder_, LeftBorder_, RightBorder_}) {
        border->OnMouseDown = [this, border](QPoint p, Qt::MouseButton b, Qt::MouseButtons) {
            BorderDown(*border, p, b);
        };
        border->OnMouseMove = [this, border](QPoint p, Qt::MouseButton, Qt::MouseButtons b) {
            BorderMove(*border, p, b);
        };
    }
    StatusStrip_->OnMouseDown = [this](QPoint p, Qt::MouseButton b, Qt::MouseButtons) {
        StatusStripDown(p, b);
    };
    StatusStrip_->OnMouseMove = [this](QPoint p, Qt::MouseButton, Qt::MouseButtons b) {
        StatusStripMove(p, b);
    };

    // Buttons drawn pressed while the left button is down on them.
    auto onLeftPress = [](TSkinImage* button, std::function<void(bool pressed)> press) {
        button->OnMouseDown = [press](QPoint, Qt::MouseButton b, Qt::MouseButtons) {
            if (b == Qt::LeftButton)
                press(true);
        };
        button->OnMouseUp = [press](QPoint, Qt::MouseButton b, Qt::MouseButtons) {
            if (b == Qt::LeftButton)
                press(false);
        };
    };
    onLeftPress(SearchButton_, [this](bool pressed) { PaintSearchButton(pressed); });
    SearchButton_->OnClick = [this] { SearchButtonClick(); };
    onLeftPress(EditButton_, [this](bool pressed) { PaintEditButton(pressed); });
    EditButton_->OnClick = [this] { Host_.EditLyrics(); };
    OnTopButton_->OnClick = [this] {
        Host_.ToggleStayOnTop();
        PaintOnTopButton();
    };
    SubmitButton_->OnClick = [this] { Host_.SubmitLyrics(); };
    // The scroll buttons scroll when pressed; releasing only draws them normal again.
    onLeftPress(ScrollUpButton_, [this](bool pressed) {
        if (pressed)
            ScrollButtonDown(true);
        else
            PaintScrollButton(true, false);
    });
    onLeftPress(ScrollDownButton_, [this](bool pressed) {
        if (pressed)
            ScrollButtonDown(false);
        else
            PaintScrollButton(false, false);
    });
    ScrollThumb_->OnMouseDown = [this](QPoint p, Qt::MouseButton b, Qt::MouseButtons) {
        if (b != Qt::LeftButton)
            return;
        ThumbDragging = true;
        ThumbGrabY = p.y();
        PaintScrollThumb(true);
    };
    ScrollThumb_->OnMouseUp = [this](QPoint, Qt::MouseButton b, Qt::MouseButtons) {
        if (b != Qt::LeftButton)
            return;
        ThumbDragging = false;
        PaintScrollThumb(false);
    };
    ScrollThumb_->OnMouseMove = [this](QPoint p, Qt::MouseButton, Qt::MouseButtons) { ThumbMove(p); };

    Scroll = TScrollState();
    mainWindow->installEventFilter(this);
    Place();
    SetBordersActive();
}

bool TWASkin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MainWindow_ && event->type() == QEvent::Resize)
        Place();
    return QObject::eventFilter(watched, event);
}

void TWASkin::Place() {
    if (!MainWindow_)
        return;
    const int w = MainWindow_->width(), h = MainWindow_->height();
    TopBorder_->SetBounds(0, 0, kLong, 3);
    BottomBorder_->SetBounds(0, h - 3, kLong, 3);
    LeftBorder_->SetBounds(0, 0, 3, kLong);
    RightBorder_->SetBounds(w - 2, 0, 2, kLong);
    StatusStrip_->SetBounds(0, h - 17, kLong, 17);
    SearchButton_->SetBounds(10, h - 16, 100, 14);
    EditButton_->SetBounds(112, h - 16, 60, 14);
    OnTopButton_->SetBounds(3, h - 16, 6, 10);
    SubmitButton_->SetBounds(w - 12, h - 16, 8, 12);
    ScrollUpButton_->SetBounds(w - 16, 3, 14, 14);
    ScrollTrack_->SetBounds(w - 16, 13, 14, kLong);
    ScrollDownButton_->SetBounds(w - 16, h - 31, 14, 14);
    ScrollThumb_->SetBounds(w - 16, ThumbTop(), 14, ThumbHeight());
    // Later controls lie over earlier ones: the buttons over the strip, the thumb and arrows over the track.
    for (TSkinImage* c :
         {StatusStrip_, SearchButton_, EditButton_, OnTopButton_, SubmitButton_, ScrollTrack_, ScrollThumb_,
          ScrollUpButton_, ScrollDownButton_, TopBorder_, BottomBorder_, LeftBorder_, RightBorder_})
        c->raise();
}

QColor TWASkin::SheetPixel(int x, int y) const {
    if (SkinSheet.isNull() || !SkinSheet.valid(x, y))
        return Qt::black;
    return SkinSheet.pixelColor(x, y);
}

void TWASkin::LoadSkin(const QImage& sheet) {
    SkinSheet = sheet.convertToFormat(QImage::Format_RGB32);
    ThumbPainted_ = QRect();
    SongInfoPainted_.clear();
    PaintAll();
}

void TWASkin::PaintAll() {
    if (!HasSkin() || !MainWindow_)
        return;
    PaintFrame();
    PaintScrollButton(true, false);
    PaintScrollButton(false, false);
    PaintSearchButton(false);
    PaintEditButton(false);
    PaintScrollTrack();
    PaintScrollThumb(false);
    PaintSongInfo();
    UpdateSubmitButton();
}

void TWASkin::DrawText(QImage& canvas, const QFont& font, QColor color, int x, int y, const QString& text) {
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(x, y + QFontMetrics(font, &canvas).ascent(), text);
}

void TWASkin::PaintFrame() {
    const QColor face = SheetPixel(52, 0), edge = SheetPixel(54, 0);
    struct TEdge {
        TSkinImage* image;
        bool horizontal;
        bool atEnd; // the outer line is the last row or column
    };
    for (const TEdge& e : {TEdge{TopBorder_, true, false}, TEdge{BottomBorder_, true, true},
                           TEdge{LeftBorder_, false, false}, TEdge{RightBorder_, false, true}}) {
        QImage& canvas = e.image->Canvas();
        canvas.fill(face);
        QPainter painter(&canvas);
        painter.setPen(edge);
        const int w = e.image->width(), h = e.image->height();
        if (e.horizontal)
            painter.drawLine(0, e.atEnd ? h - 1 : 0, canvas.width() - 1, e.atEnd ? h - 1 : 0);
        else
            painter.drawLine(e.atEnd ? w - 1 : 0, 0, e.atEnd ? w - 1 : 0, canvas.height() - 1);
        painter.end();
        e.image->update();
    }
    StatusStrip_->Canvas().fill(face);
    StatusStrip_->update();
    SongInfoPainted_.clear();
    PaintOnTopButton();
}

void TWASkin::PaintOnTopButton() {
    if (!HasSkin() || !OnTopButton_)
        return;
    OnTopButton_->Canvas().fill(SheetPixel(52, 0));
    DrawText(OnTopButton_->Canvas(), QFont("tahoma", 6),
             Host_.StaysOnTop() ? QColor(192, 192, 192) : Qt::black, 0, 0, "A");
    OnTopButton_->update();
}

void TWASkin::DrawButtonFace(TSkinImage& image, bool pressed) {
    QImage& canvas = image.Canvas();
    const int top = pressed ? 15 : 0, w = image.width();
    QPainter painter(&canvas);
    painter.drawImage(QRect(0, 0, 4, 14), SkinSheet, QRect(0, top, 4, 14));
    painter.drawImage(QRect(4, 0, std::max(w - 8, 0), 14), SkinSheet, QRect(4, top, 38, 14));
    painter.drawImage(QRect(w - 4, 0, 4, 14), SkinSheet, QRect(42, top, 4, 14));
}

void TWASkin::PaintSearchButton(bool pressed) {
    if (!HasSkin() || !SearchButton_)
        return;
    DrawButtonFace(*SearchButton_, pressed);
    int state = Host_.SearchInternet() ? SearchState_ : ssSearch;
    const bool errorShown = Host_.SearchNoticeText() == "Error Connecting";
    if (errorShown)
        state = ssSearch;
    const int x = kSearchTextX[state] + (pressed ? 1 : 0);
    DrawText(SearchButton_->Canvas(), ButtonFont, Qt::black, x, pressed ? 2 : 1, kSearchTexts[state]);
    SearchButton_->setToolTip(kSearchHints[state]);
    if (!errorShown)
        Host_.SetSearchActionCaption(kSearchTexts[state]);
    SearchButton_->update();
}

void TWASkin::PaintEditButton(bool pressed) {
    if (!HasSkin() || !EditButton_)
        return;
    DrawButtonFace(*EditButton_, pressed);
    DrawText(EditButton_->Canvas(), ButtonFont, Qt::black, pressed ? 19 : 18, pressed ? 2 : 1, "Edit..");
    EditButton_->update();
}

void TWASkin::PaintScrollButton(bool up, bool pressed) {
    if (!HasSkin())
        return;
    TSkinImage* button = up ? ScrollUpButton_ : ScrollDownButton_;
    const int x = (up ? 0 : 14) + (pressed ? 28 : 0);
    QPainter painter(&button->Canvas());
    painter.drawImage(0, 0, SkinSheet, x, 31, 14, 14);
    painter.end();
    button->update();
}

void TWASkin::PaintScrollTrack() {
    QImage& canvas = ScrollTrack_->Canvas();
    const QRgb first = SheetPixel(74, 0).rgb(), second = SheetPixel(76, 0).rgb();
    for (int y = 0; y < canvas.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x)
            line[x] = (x + y) % 2 ? second : first;
    }
    ScrollTrack_->update();
}

int TWASkin::TrackLength() const {
    return (MainWindow_ ? MainWindow_->height() : 0) - 47;
}

int TWASkin::ThumbHeight() const {
    const int t = std::max(TrackLength(), 1);
    if (Scroll.ContentHeight <= 0)
        return t; // nothing to scroll: the thumb fills the track
    return std::clamp(Rnd(double(Scroll.PageHeight) / Scroll.ContentHeight * t), 1, t);
}

int TWASkin::ThumbTop() const {
    const int t = std::max(TrackLength(), 1);
    if (Scroll.ContentHeight <= 0)
        return 17;
    const int p = std::clamp(Scroll.ScrollPosition, 0, std::max(Scroll.ContentHeight - Scroll.PageHeight, 0));
    return 17 + Rnd(double(p) / Scroll.ContentHeight * t);
}

void TWASkin::PaintScrollThumb(bool pressed) {
    if (!HasSkin() || !ScrollThumb_ || !MainWindow_)
        return;
    const int h = ThumbHeight();
    const QRect bounds(MainWindow_->width() - 16, ThumbTop(), 14, h);
    // The display sets its scroll position every frame; a thumb that would look the same is left alone, so
    // the window is not composed again for nothing.
    if (bounds == ThumbPainted_ && pressed == ThumbPaintedPressed_)
        return;
    ThumbPainted_ = bounds;
    ThumbPaintedPressed_ = pressed;
    ScrollThumb_->SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
    QImage& canvas = ScrollThumb_->Canvas();
    const int sx = pressed ? 70 : 56;
    QPainter painter(&canvas);
    if (h < 6) {
        painter.drawImage(QRect(0, 0, 14, h), SkinSheet, QRect(sx, 31, 14, 28));
    } else {
        const int grip = std::min(10, h - 6);
        const int bodies = h - 6 - grip;
        const int body1 = bodies / 2, body2 = bodies - body1;
        painter.drawImage(QRect(0, 0, 14, 3), SkinSheet, QRect(sx, 31, 14, 3));
        if (body1 > 0)
            painter.drawImage(QRect(0, 3, 14, body1), SkinSheet, QRect(sx, 34, 14, 5));
        if (grip > 0)
            painter.drawImage(QRect(0, 3 + body1, 14, grip), SkinSheet, QRect(sx, 39, 14, grip));
        if (body2 > 0)
            painter.drawImage(QRect(0, 3 + body1 + grip, 14, body2), SkinSheet, QRect(sx, 50, 14, 5));
        painter.drawImage(QRect(0, h - 3, 14, 3), SkinSheet, QRect(sx, 56, 14, 3));
    }
    painter.end();
    ScrollThumb_->update();
}

void TWASkin::ShowScrollBar() {
    Scroll.ScrollBarShown = true;
    for (TSkinImage* c : {ScrollTrack_, ScrollThumb_, ScrollUpButton_, ScrollDownButton_})
        if (c)
            c->setVisible(ControlsShown_);
    if (MainWindow_)
        Host_.SetSceneViewWidth(MainWindow_->width() - 14 - 5);
}

void TWASkin::HideScrollBar() {
    Scroll.ScrollBarShown = false;
    for (TSkinImage* c : {ScrollTrack_, ScrollThumb_, ScrollUpButton_, ScrollDownButton_})
        if (c)
            c->hide();
    if (MainWindow_)
        Host_.SetSceneViewWidth(MainWindow_->width() - 5);
}

void TWASkin::ShowFrameControls(bool shown) {
    ControlsShown_ = shown;
    for (TSkinImage* c : {StatusStrip_, SearchButton_, EditButton_, OnTopButton_})
        if (c)
            c->setVisible(shown);
    for (TSkinImage* c : {ScrollTrack_, ScrollThumb_, ScrollUpButton_, ScrollDownButton_})
        if (c)
            c->setVisible(shown && Scroll.ScrollBarShown);
}

void TWASkin::SetSearchState(int state, bool pressed) {
    SearchState_ = std::clamp(state, 0, 2);
    PaintSearchButton(pressed);
}

void TWASkin::SearchButtonClick() {
    if (!Host_.SearchInternet())
        Host_.TurnSearchInternetOn();
    switch (SearchState_) {
    case ssSearch:
        Host_.RemoveFromCancelList(Host_.SongName());
        Host_.SearchLyrics(0);
        break;
    case ssCancelSearch:
        if (!Host_.LyricsFound())
            Host_.AddToCancelList(Host_.SongName());
        Host_.CancelSearch();
        break;
    case ssSearchAgain:
        Host_.SearchAgain();
        break;
    }
}

void TWASkin::UpdateSubmitButton() {
    if (!SubmitButton_)
        return;
    SubmitButton_->setVisible(Host_.SubmitEnabled() && Host_.DisplayMode() == 0);
    SubmitButton_->setToolTip(FromActive(Host_.SubmitCaption()));
    if (!HasSkin())
        return;
    SubmitButton_->Canvas().fill(SheetPixel(52, 0));
    DrawText(SubmitButton_->Canvas(), QFont("tahoma", 8), Qt::black, 0, 0, "^");
    SubmitButton_->update();
}

void TWASkin::PaintSongInfo() {
    if (!Host_.ShowSongInfo() || !HasSkin() || !StatusStrip_ || !MainWindow_)
        return;
    QImage& canvas = StatusStrip_->Canvas();
    // Text on a dark strip takes the light colour of the button face, on a light strip black.
    const QColor probe = canvas.pixelColor(3, 5);
    const unsigned value =
        unsigned(probe.red()) | unsigned(probe.green()) << 8 | unsigned(probe.blue()) << 16;
    const QColor color = value < 6579301u ? SearchButton_->Canvas().pixelColor(3, 3) : QColor(Qt::black);

    const std::string position = MinutesSecondsText(Session_.GetSongPosition());
    const std::string length = MinutesSecondsText(Session_.GetSongLength());
    PlayerInfoText_ = "[" + Session_.GetPlayerName() + "]";
    SongInfoText_ = " " + Host_.SongName() + "  [" + position + "/" + length + "]";
    const std::string source = Host_.DownloadSource();
    SourceInfoText_ = source.empty() ? std::string() : "From: " + source;

    // The strip is painted again only when what it shows changes (about once a second while a song plays).
    const std::string painted = PlayerInfoText_ + '\n' + SongInfoText_ + '\n' + SourceInfoText_ + '\n' +
                                std::to_string(MainWindow_->width()) + '\n' + std::to_string(color.rgb());
    if (painted == SongInfoPainted_)
        return;
    SongInfoPainted_ = painted;

    canvas.fill(SheetPixel(52, 0));
    const QFont playerFont("Arial", 7);
    const QString playerText = FromActive(PlayerInfoText_);
    DrawText(canvas, playerFont, QColor(255, 251, 240), 175, 3, playerText);

    QFont songFont("Arial");
    songFont.setPointSizeF(ButtonFont.pointSizeF());
    const int x = 175 + QFontMetrics(playerFont, &canvas).horizontalAdvance(playerText);
    DrawText(canvas, songFont, color, x, 1, FromActive(SongInfoText_));
    if (!source.empty()) {
        const QString text = FromActive(SourceInfoText_);
        const int width = QFontMetrics(songFont, &canvas).horizontalAdvance(text);
        DrawText(canvas, songFont, color, MainWindow_->width() - 20 - width, 1, text);
    }
    StatusStrip_->update();
}

int TWASkin::DownloadTextWidth() const {
    const std::string source = Host_.DownloadSource();
    if (source.empty())
        return -1;
    QFont songFont("Arial");
    songFont.setPointSizeF(ButtonFont.pointSizeF());
    return QFontMetrics(songFont, &StatusStrip_->Canvas()).horizontalAdvance(FromActive("From: " + source));
}

void TWASkin::StatusStripDown(QPoint position, Qt::MouseButton) {
    const int w = MainWindow_->width();
    const int width = DownloadTextWidth();
    if (width >= 0 && position.y() > 0 && position.x() >= w - width - 20 && position.x() <= w - 20)
        Host_.OpenAddress(Host_.DownloadSource());
    const QPoint cursor = QCursor::pos();
    SystemMoveStarted_ = false;
    Host_.SetDragOffset(cursor.x() - MainWindow_->x(), cursor.y() - MainWindow_->y());
}

void TWASkin::StatusStripMove(QPoint position, Qt::MouseButtons buttons) {
    const int w = MainWindow_->width();
    const int width = DownloadTextWidth();
    const bool overSource = width >= 0 && position.x() >= w - width - 20 && position.x() <= w - 20;
    StatusStrip_->setCursor(overSource ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (!(buttons & Qt::LeftButton) || Host_.IsMaximized() || SystemMoveStarted_)
        return;
    // The window manager moves the window where it can (Wayland ignores a program's own moves) until the
    // button is released; elsewhere the window follows the cursor.
    if (QWindow* window = MainWindow_->windowHandle(); window && window->startSystemMove()) {
        SystemMoveStarted_ = true;
        return;
    }
    const QPoint cursor = QCursor::pos();
    MainWindow_->move(cursor.x() - Host_.DragOffsetX(), cursor.y() - Host_.DragOffsetY());
}

void TWASkin::SetBordersActive() {
    BordersActive_ = !Host_.IsMaximized();
    if (!TopBorder_)
        return;
    TopBorder_->setCursor(BordersActive_ ? Qt::SizeVerCursor : Qt::ArrowCursor);
    BottomBorder_->setCursor(BordersActive_ ? Qt::SizeVerCursor : Qt::ArrowCursor);
    LeftBorder_->setCursor(BordersActive_ ? Qt::SizeHorCursor : Qt::ArrowCursor);
    RightBorder_->setCursor(BordersActive_ ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void TWASkin::BorderDown(TSkinImage& border, QPoint position, Qt::MouseButton button) {
    if (!BordersActive_ || button != Qt::LeftButton)
        return;
    ResizeStartCursor_ = QCursor::pos();
    ResizeStartGeometry_ = MainWindow_->geometry();
    const QPoint inWindow = border.mapTo(MainWindow_, position);
    const int w = MainWindow_->width(), h = MainWindow_->height();
    ResizeTop_ = &border == TopBorder_;
    ResizeLeft_ = &border == LeftBorder_;
    ResizeRight_ = &border == RightBorder_ || (&border == BottomBorder_ && inWindow.x() >= w - 10);
    ResizeBottom_ = &border == BottomBorder_ || (&border == RightBorder_ && inWindow.y() >= h - 10);
    // The window manager resizes the window where it can: a program's own setGeometry is ignored under
    // Wayland, where growing by the top or left edge would move the other edge instead.
    Qt::Edges edges;
    if (ResizeTop_)
        edges |= Qt::TopEdge;
    if (ResizeLeft_)
        edges |= Qt::LeftEdge;
    if (ResizeRight_)
        edges |= Qt::RightEdge;
    if (ResizeBottom_)
        edges |= Qt::BottomEdge;
    QWindow* window = MainWindow_->windowHandle();
    SystemResizeStarted_ = edges && window && window->startSystemResize(edges);
}

void TWASkin::BorderMove(TSkinImage& border, QPoint position, Qt::MouseButtons buttons) {
    if (!BordersActive_)
        return;
    Host_.StartDeferredResize();
    const QPoint inWindow = border.mapTo(MainWindow_, position);
    const int w = MainWindow_->width(), h = MainWindow_->height();
    if (&border == BottomBorder_)
        border.setCursor(inWindow.x() >= w - 10 ? Qt::SizeFDiagCursor : Qt::SizeVerCursor);
    else if (&border == RightBorder_)
        border.setCursor(inWindow.y() >= h - 10 ? Qt::SizeFDiagCursor : Qt::SizeHorCursor);
    if (!(buttons & Qt::LeftButton) || SystemResizeStarted_)
        return;
    const QPoint delta = QCursor::pos() - ResizeStartCursor_;
    const QSize minimum = MainWindow_->minimumSize();
    QRect g = ResizeStartGeometry_;
    if (ResizeTop_)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() + 1 - minimum.height()));
    if (ResizeLeft_)
        g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - minimum.width()));
    if (ResizeRight_)
        g.setWidth(std::max(g.width() + delta.x(), minimum.width()));
    if (ResizeBottom_)
        g.setHeight(std::max(g.height() + delta.y(), minimum.height()));
    MainWindow_->setGeometry(g);
}

void TWASkin::ScrollButtonDown(bool up) {
    PaintScrollButton(up, true);
    Host_.SetScrollPosition(Scroll.ScrollPosition + (up ? -Scroll.LineStep : Scroll.LineStep));
    Host_.RestartAllowScroll();
    Host_.AdvanceSceneClock();
}

void TWASkin::ThumbMove(QPoint position) {
    // The mouse stays captured while dragging; only moves with y on the thumb's rows move the display.
    if (!ThumbDragging || position.y() < 0 || position.y() >= ScrollThumb_->height())
        return;
    const int t = std::max(TrackLength(), 1);
    const double value =
        double(ScrollThumb_->y() + position.y() - ThumbGrabY - 17) / t * Scroll.ContentHeight;
    Host_.SetScrollPosition(Rnd(value));
    Host_.RestartAllowScroll();
    Host_.AdvanceSceneClock();
}

void TWASkin::SongInfoTimer() {
    Session_.PollPlayer();
    PaintSongInfo();
    if (MainWindow_) {
        const QPoint cursor = MainWindow_->mapFromGlobal(QCursor::pos());
        if (cursor.y() < MainWindow_->height() - 20)
            MainWindow_->unsetCursor();
    }
}

} // namespace display
