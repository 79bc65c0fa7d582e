"""The package's modules, for the tests that walk all of them."""

# The extension modules, in the order they build on one another.
EXTENSION_MODULES = [
    "nimbal.kernel",
    "nimbal.models.quenby",
    "nimbal.services.drulen",
    "nimbal.services.hathel",
    "nimbal.managers.corvath",
    "nimbal.services.fandor",
    "nimbal.managers.tessik",
    "nimbal.services.ostrel",
    "nimbal.services.ombrel",
    "nimbal.services.lumbra",
    "nimbal.services.pikalo",
]

# Every module a host imports: the extensions and the enumerations.
MODULES = ["nimbal.enums", *EXTENSION_MODULES]
