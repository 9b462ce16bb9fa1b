#pragma once

// What a video view and its top bar reach in the widgets around them. The view
// and the bar connect their signals to these (typed, checked when compiled);
// a host that does not implement the interface simply hears nothing, so the
// view and the bar also work alone and in tests.
//
// Threading: GUI thread only.

class GLWidget;
class QEvent;
class QWidget;

// The widget that hosts a top bar (UCScreenMenu): the bar's buttons and
// menu actions call these.
class IScreenMenuHost {
public:
    virtual ~IScreenMenuHost() = default;
    virtual void slotCloseClicked() = 0;
    virtual void slotCaptureClicked() = 0;
    virtual void slotPrintClicked() = 0;
    virtual void slotZoomClicked(bool _checked) = 0;
    virtual void slotDropDownClicked() = 0;
};

// The display page a view lies in: mouse, hover and close of its views.
class IViewPage {
public:
    virtual ~IViewPage() = default;
    virtual void slotCloseClicked(GLWidget* _widget) = 0;
    virtual void slotWidgetMousePress(GLWidget* _widget, bool _multi) = 0;
    virtual void slotWidgetMouseRelease(GLWidget* _widget, bool _multi) = 0;
    virtual void slotWidgetEnterEvent(GLWidget* _widget, QEvent* _event) = 0;
    virtual void slotWidgetLeaveEvent(GLWidget* _widget, QEvent* _event) = 0;
};

// The window that owns the views: captures and prints of a view's picture.
class IViewOwner {
public:
    virtual ~IViewOwner() = default;
    virtual void slotCaptureClicked(QWidget* _frame, GLWidget* _widget) = 0;
    virtual void slotPrintClicked(QWidget* _frame, GLWidget* _widget) = 0;
};
