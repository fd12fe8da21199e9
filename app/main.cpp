// Entry point of MorvatanLauncher. The launcher takes no arguments; everything it needs
// comes from the two settings files beside the executable.
#include "app/uygulama.h"

int main() { return uygulama::calistir(); }
