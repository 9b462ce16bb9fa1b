#pragma once

// Top overlay bar of a video view: site name, channel title and the view's
// buttons (D-Zoom, Print, Capture, and a drop-down menu that carries the same
// actions when the bar is too narrow for the buttons).
//
// The bar is created by its view as a child; button clicks and menu actions go
// straight to the parent's slots slotCloseClicked(), slotCaptureClicked(),
// slotPrintClicked(), slotZoomClicked(bool) and slotDropDownClicked(), when the
// parent is an IScreenMenuHost (display/ViewHosts.h), so that any parent
// offering them can host the bar.
//
// Threading: GUI thread only.

#include <QWidget>
#include <memory>

class QAction;
class QMenu;
class QMouseEvent;
class QLabel;
class QPushButton;
namespace Ui {
class UCScreenMenu;
}

class UCScreenMenu : public QWidget {
    Q_OBJECT

public:
    // Text types of setText / setTextVisible.
    enum TextType { TextSiteName = 0, TextChannelTitle = 1 };

    explicit UCScreenMenu(QWidget* parent = nullptr);
    ~UCScreenMenu() override;

    // Types other than TextSiteName and TextChannelTitle are ignored.
    void setText(int type, const QString& text);
    void setTextVisible(int type, bool visible);
    // False for unknown types. Reports the requested state, so it does not
    // depend on whether the view itself is on screen.
    bool isTextVisible(int type) const;

    // 0: 11 px, 1: 14 px, 2: 18 px, 3: 22 px; any other value 11 px.
    void setFontSize(int size);
    static QString fontSizeStyle(int size);

    // Shows or hides the button panel.
    void showButtons(bool show);
    bool buttonsShown() const;
    // Checks or unchecks both the zoom button and the menu's D-Zoom action.
    void setZoomChecked(bool checked);

    QMenu* dropDownMenu() const { return m_menu; }
    QAction* zoomAction() const { return m_zoomAction; }

signals:
    void signalMouseMove(QMouseEvent* event);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* label(int type) const;
    void applyTexts();
    // Buttons when the bar is wide enough, the drop-down otherwise.
    void arrangeButtons(int width);

    std::unique_ptr<Ui::UCScreenMenu> m_ui;
    QMenu* m_menu = nullptr;  // child of the bar
    QAction* m_zoomAction = nullptr;
    QAction* m_captureAction = nullptr;
    QAction* m_printAction = nullptr;
};
