# Pure logic of the skin engine: skin_logic and its native tests and fuzz targets.
