// The main window: title, the five menus, the toolbar, the picture that fills the
// client area and the message bar (centred text and today's date).
#pragma once

#include <exception>
#include <functional>
#include <string>

#include <QMainWindow>
#include <QPixmap>

#include "ui/backend.h"

class QEventLoop;
class QLabel;
class QMenu;

namespace ui::qt {

// The client area: the picture file scaled to fill it (nothing when it is missing).
class PictureArea : public QWidget {
public:
    explicit PictureArea(QWidget* parent = nullptr);
    void setPicture(const std::string& path);
    bool hasPicture() const { return !pixmap_.isNull(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::string path_;
    QPixmap pixmap_;
};

class MainFrame : public QMainWindow {
public:
    explicit MainFrame(MainWindow& w, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Shows the title, picture and message bar again; closes when the program asked.
    void refresh();
    // Runs until the window is closed; rethrows what an action threw.
    void runUntilClosed();

    QLabel* messageBar() const { return message_; }
    QLabel* dateLabel() const { return date_; }
    PictureArea* pictureArea() const { return area_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void addItems(QMenu* menu, const std::vector<MenuItem>& items);
    void act(const std::function<void()>& f);
    void showHint(const QString& text);

    MainWindow& w_;
    PictureArea* area_;
    QLabel* message_;
    QLabel* date_;
    QEventLoop* loop_ = nullptr;
    std::exception_ptr error_;
    int depth_ = 0;
};

}  // namespace ui::qt
