#pragma once
// The wizard as a program driving it from outside finds it: its caption and
// the ids of the controls on its screens.

inline constexpr char kCaption[] = "Aggiornamento Tessaro Vers. 0002";

namespace ui {
constexpr int kCancel = 2;
constexpr int kBack = 1001;
constexpr int kNext = 1002;
constexpr int kStatusLine = 1026;
constexpr int kPageText = 1004;
constexpr int kSecondText = 1005;
constexpr int kWelcomeMarker = 1007;
constexpr int kLeftPanel = 1003;
constexpr int kHeaderTitle = 1011;
constexpr int kTree = 1012;
constexpr int kNewestStamp = 1024;
constexpr int kInstalledStamp = 1025;
constexpr int kCopyStatus = 1020;
constexpr int kProgressBar = 1021;
} // namespace ui
