// Compiled into every target that must stay free of QtWidgets (the core
// library and the command-line tool): Qt6::Widgets defines QT_WIDGETS_LIB.
#if defined(ZENTARO_CORE_ONLY) && defined(QT_WIDGETS_LIB)
#error "the core library must not depend on QtWidgets"
#endif
