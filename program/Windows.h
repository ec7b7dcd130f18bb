// The program's workspace and windows: each window class once for the whole run, created hidden
// in the fixed order, then handed to the windows that use them.
#pragma once

#include <memory>

class QWidget;

namespace dosarium {

class Workspace;
class TForm1;
class TForm3;
class TForm4;
class TForm5;
class TContor;
class TErori;
class TEvidente;
class TAddAct;
class TAddUser;
class TLogView;

struct Windows {
    Windows();
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    // The window a later start brings forward: an open modal window, else the splash while it
    // shows, else the main window.
    QWidget *frontWindow() const;

    std::unique_ptr<Workspace> workspace; // the services every window shares
    std::unique_ptr<TForm1> Form1;        // splash and start-up; the event loop's main window
    std::unique_ptr<TForm3> Form3;        // main window: sign-in and menu
    std::unique_ptr<TForm4> Form4;        // administrator window: users, server folder
    std::unique_ptr<TForm5> Form5;        // password prompt
    std::unique_ptr<TContor> Contor;
    std::unique_ptr<TErori> Erori;
    std::unique_ptr<TEvidente> Evidente; // the register
    std::unique_ptr<TAddUser> AddUser;   // the user dialog
    std::unique_ptr<TAddAct> AddAct;     // the act dialog
    std::unique_ptr<TLogView> LogView;   // the activity log
};

} // namespace dosarium
