// One lamp of the link indicator at the right end of the main window's page
// tabs: a round lamp, lit or dark, of 17 x 17 pixels.
//
// Thread contract: main thread only, like every widget.
#pragma once

#include <QWidget>

class LinkLamp : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(LinkLamp)

public:
    static constexpr int Size = 17;

    explicit LinkLamp(QWidget *parent = nullptr);

    bool lit() const { return lit_; }
    // Repaints only when the lamp turns on or off: the indicator is set on
    // every tick of the link timer whether or not a lamp changes.
    void setLit(bool lit);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool lit_ = false;
};
