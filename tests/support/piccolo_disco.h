#pragma once
// A small memory file system (64 KB) on a folder, for as long as it lives:
// a disk that fills up, or turns read-only. Not mounted when the test may not
// mount (not root, or no right to); Montato() says which.
#include <QByteArray>
#include <QString>

class PiccoloDisco {
  public:
    explicit PiccoloDisco(const QString& cartella);
    ~PiccoloDisco();
    PiccoloDisco(const PiccoloDisco&) = delete;
    PiccoloDisco& operator=(const PiccoloDisco&) = delete;

    bool Montato() const { return montato_; }
    bool SolaLettura(bool si) const;

  private:
    QByteArray cartella_;
    bool montato_ = false;
};
