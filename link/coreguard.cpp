// Part of the core library, which is built with ZENTARO_CORE_ONLY (as is the
// command-line tool; cmake/ZentaroNoWidgets.cmake also checks what both
// link). Qt6::Widgets defines QT_WIDGETS_LIB, so a widgets dependency that
// reaches the core's compile fails here.
#if defined(ZENTARO_CORE_ONLY) && defined(QT_WIDGETS_LIB)
#error "the core library must not depend on QtWidgets"
#endif
