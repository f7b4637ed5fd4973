# Binding of the image provider (Pictora.dll) and its Wine tests.
