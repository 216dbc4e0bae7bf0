#pragma once
// The About dialog (template 102): the version, links to the home page,
// the support mail and the forum, the people thanked and a donate picture.
// Modal, without an owner; its texts come from section "about_dialog" of
// the current language file each time it opens.
#include <windows.h>

// Menu command 132.
void ShowAboutDialog();

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DonatePictureProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

// The fixed addresses the dialog opens, whatever the links' markup says.
// The product's home page (also the help menu's).
constexpr wchar_t kHomePage[] = L"https://quornvale.example/";
constexpr wchar_t kSupportMailAddress[] = L"support@quornvale.example";
constexpr wchar_t kSupportMailOpen[] = L"mailto:support@quornvale.example?subject=[Quornvale]";
constexpr wchar_t kForumAddress[] = L"https://quornvale.example/forum/";
constexpr wchar_t kDonateAddress[] = L"https://quornvale.example/donate/";
constexpr wchar_t kThanksAddress[] = L"https://ardent.example/";
