#pragma once

class QWidget;

// The hourglass for as long as a piece of work runs, also when it fails. Given a window, that
// window does not redraw meanwhile either, so that it shows no half-built state.
class BusyCursor
{
public:
    explicit BusyCursor(QWidget* frozen = nullptr);
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    QWidget* m_frozen;
};
