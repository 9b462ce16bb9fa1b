#pragma once

// What the display layout needs from a view beyond being a QWidget. The
// layout manages plain QWidget pointers and asks each one for this interface
// (dynamic_cast); a widget without it is laid out like any other widget, is
// never enlarged or popped up, has no drop highlight and counts as showing a
// site of its own.
//
// A view class implements it next to its QWidget base:
//
//     class GLWidget : public QOpenGLWidget, public IDisplayLayoutView { ... };
//
// Threading: GUI thread only, like the widgets themselves.

#include <QRect>
#include <QtGlobal>

class IDisplayLayoutView {
public:
    // True while the view is enlarged or popped up over the page; the layout
    // then leaves its geometry alone.
    virtual bool isEnlarged() const = 0;
    virtual bool isPoppedUp() const = 0;
    // Ends a running geometry animation and any enlarge or pop-up at once,
    // putting the view back where it was before.
    virtual void stopAnimations() = 0;
    // The view's cell changed: the geometry an enlarged or popped-up view
    // returns to becomes `cell`.
    virtual void setCellGeometry(const QRect& cell) = 0;
    // The highlight shown while a channel is dragged over the view.
    virtual void showDropHighlight() = 0;
    virtual void hideDropHighlight() = 0;
    // Identity of the site the view shows (0 for none); the move preview marks
    // every view showing the same site as the long-pressed one.
    virtual quintptr layoutSiteKey() const = 0;

protected:
    ~IDisplayLayoutView() = default;
};
