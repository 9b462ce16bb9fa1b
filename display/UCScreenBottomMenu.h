#pragma once

// Bottom overlay bar of a video view: play state, D-ZOOM mark, date and time
// and picture resolution. Its background colour is set by the page to show the
// play speed.
//
// Threading: GUI thread only. Texts produced on decode threads reach the bar
// through queued signals of the page.

#include <QColor>
#include <QWidget>
#include <memory>

class QLabel;
namespace Ui {
class UCScreenBottomMenu;
}

class UCScreenBottomMenu : public QWidget {
    Q_OBJECT

public:
    // Text types of setText / setTextVisible.
    enum TextType {
        TextMode = 0,
        TextPtz = 1,
        TextDZoom = 2,
        TextDateTime = 3,
        TextResolution = 4,
    };
    // Narrower than this, the resolution is left out: the date and time plus
    // room for the resolution twice over.
    static constexpr int kResolutionMinWidth = 105 + 2 * 58;

    explicit UCScreenBottomMenu(QWidget* parent = nullptr);
    ~UCScreenBottomMenu() override;

    // Types outside 0..4 are ignored.
    void setText(int type, const QString& text);
    QString text(int type) const;
    void setTextVisible(int type, bool visible);
    // The requested visibility; false for unknown types. The resolution may
    // still be left out on a narrow bar while this answers true.
    bool isTextVisible(int type) const;

    // Fills the background with `color` (transparent colours are allowed) and
    // shows the background widget.
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* label(int type) const;
    void applyResolutionVisibility(int width);
    // Narrows the font of a width-limited label until its text fits: the
    // limits suit the narrow face the forms are designed with, and a wider
    // substitute face would cut the date or the resolution off.
    static void fitText(QLabel* label);

    std::unique_ptr<Ui::UCScreenBottomMenu> m_ui;
    // The resolution's visibility as requested; the bar's width may hide it.
    bool m_resolutionWanted = true;
};
