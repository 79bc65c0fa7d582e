"""nimbal: headless core of an interactive 3D modelling component."""
