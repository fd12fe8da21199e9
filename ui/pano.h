// The clipboard, read with a deadline. GLFW waits for the clipboard's owner without end, so a
// program that owns the clipboard and never answers would freeze the window; here the X11
// selection is asked for and read directly, and an owner that has not answered within the
// deadline simply gives no paste. Main thread (the window's).
#pragma once
#include <string>

struct GLFWwindow;

const double PANO_SURESI = 1.0;    // seconds an owner gets to answer
const size_t PANO_SINIRI = 4096;   // bytes read at most: far more than any field holds

// The clipboard's text (UTF-8), at most PANO_SINIRI bytes, into `cikti` (a string with room
// reserved, so the text lives in one block the caller wipes). False when there is none, the
// owner did not answer in time, or it offers no UTF-8 text. Every copy made on the way is
// wiped before it is released.
bool pano_oku(GLFWwindow* pencere, std::string& cikti);

// Puts `metin` on the clipboard (GLFW owns it from a window of its own, which pano_oku then
// knows for ours and reads without a round trip to itself).
void pano_yaz(GLFWwindow* pencere, const std::string& metin);
