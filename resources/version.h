// The product version. The editor's version block, vrktool --version, the
// release files' names and the installed-programs entry all take it from
// here; packaging/make-packages.sh reads the three numbers below.
#ifndef QUILLMARCH_VERSION_H
#define QUILLMARCH_VERSION_H

#define QM_VERSION_MAJOR 0
#define QM_VERSION_MINOR 1
#define QM_VERSION_PATCH 1

#define QM_STRINGIZE_(x) #x
#define QM_STRINGIZE(x) QM_STRINGIZE_(x)
// "0.1.1"; the resource compiler joins the pieces as a C compiler does.
#define QM_VERSION_TEXT \
    QM_STRINGIZE(QM_VERSION_MAJOR) "." QM_STRINGIZE(QM_VERSION_MINOR) "." QM_STRINGIZE(QM_VERSION_PATCH)

#endif
