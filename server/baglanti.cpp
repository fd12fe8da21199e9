// The game-server link state. Owned here; main thread only.
#include "server/baglanti.h"

int sunucu_durumu = SUNUCU_BAGLANIYOR;
int baglanti_modu = 0;
