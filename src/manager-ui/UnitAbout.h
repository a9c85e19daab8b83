// The About box: the program's name, version and credits, with link labels that open
// their pages through the desktop's opener.
#pragma once

#include "Forms.h"
#include "StdCtrls.h"

#include <functional>
#include <string>

// Opens an address in the user's browser. The desktop's opener (xdg-open) runs unless a
// test has put its own in place.
using TUrlOpener = std::function<void(const std::string& url)>;
// An empty opener puts the desktop's back.
void SetUrlOpener(TUrlOpener opener);
void OpenUrl(const std::string& url);

// The addresses the links open.
namespace AboutLinks {
inline constexpr const char* Person1 = "https://forum.example.org/profile/developer";
inline constexpr const char* Person2 = "https://forum.example.org/profile/designer";
inline constexpr const char* Person3 = "https://forum.example.org/profile/tester";
inline constexpr const char* ForumTopic = "https://forum.example.org/topic/brisvane";
} // namespace AboutLinks

class TAboutIcon;

class TAboutBox : public TForm {
    BV_CLASS_INFO()
public:
    explicit TAboutBox(TComponent* owner);
    ~TAboutBox() override;

    TAboutIcon* ProgramIcon;
    TLabel* ProductName;
    TLabel* Version;
    TLabel* Credits;
    TLabel* Label1; // the first person's page
    TLabel* Label2;
    TLabel* Label3;
    TLabel* Label4; // the forum topic
    TButton* OKButton;

    // Shows the box modally (the main window's About command).
    void Execute();
    // Places the labels after their captions or the font changed.
    void LayoutControls();

    void Label1Click();
    void Label2Click();
    void Label3Click();
    void Label4Click();
};

extern TAboutBox* AboutBox;
