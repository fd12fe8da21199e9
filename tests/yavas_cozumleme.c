/* A preloaded stand-in for slow name servers: every getaddrinfo sleeps five seconds before
 * the real lookup. Lets a test prove the launcher's window keeps working meanwhile. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <netdb.h>
#include <unistd.h>

int getaddrinfo(const char* ad, const char* servis, const struct addrinfo* ipucu, struct addrinfo** sonuc) {
    int (*gercek)(const char*, const char*, const struct addrinfo*, struct addrinfo**) =
        (int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**))dlsym(RTLD_NEXT, "getaddrinfo");
    sleep(5);
    return gercek(ad, servis, ipucu, sonuc);
}
