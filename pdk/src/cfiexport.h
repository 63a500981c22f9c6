// Export macro of the kit: the classes of namespace quelb_pdk_4_4 are part
// of the library's interface; everything else stays hidden.
#ifndef QLB_PDK_CFIEXPORT_H
#define QLB_PDK_CFIEXPORT_H

#if defined(__GNUC__)
#define QLB_PDK_EXPORT __attribute__((visibility("default")))
#else
#define QLB_PDK_EXPORT
#endif

#endif  // QLB_PDK_CFIEXPORT_H
