#include "support/piccolo_disco.h"

#include <QFile>

#include <sys/mount.h>
#include <unistd.h>

PiccoloDisco::PiccoloDisco(const QString& cartella) : cartella_(QFile::encodeName(cartella)) {
    montato_ = ::geteuid() == 0 &&
               ::mount("tmpfs", cartella_.constData(), "tmpfs", 0, "size=64k,mode=0700") == 0;
}

PiccoloDisco::~PiccoloDisco() {
    if (montato_) {
        ::umount2(cartella_.constData(), MNT_DETACH);
    }
}

bool PiccoloDisco::SolaLettura(bool si) const {
    return ::mount(nullptr, cartella_.constData(), nullptr, MS_REMOUNT | (si ? MS_RDONLY : 0),
                   "size=64k,mode=0700") == 0;
}
