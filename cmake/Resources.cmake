# Image resources compiled into the executables (filled in by the picture loader).
