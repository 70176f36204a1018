// placeholder until the main window lands
