// The game-server link state that the screens read: whether the server is open, and what the
// link is doing. The ENet connection that drives these values lives beside them.
// Main thread only.
#pragma once

enum { SUNUCU_BAGLANIYOR = 0, SUNUCU_ACIK = 1, SUNUCU_KAPALI = 2 };

extern int sunucu_durumu;   // 0 "Bağlanıyor", 1 "Açık", 2 "Kapalı"
extern int baglanti_modu;   // 0 idle, 1 status query, 2 server login
