// The termdt930 module's own unit: what the library creates when it loads.
