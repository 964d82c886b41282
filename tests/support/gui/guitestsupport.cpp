// The GUI test base grows here (main window on a simulated keyboard).
