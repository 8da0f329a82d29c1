"""The errors of the package: the library's refusals, and values that do not fit the hub."""

# The library's status codes, with what each means to a caller.
STATUS_TEXTS = {
    0: ("QN_OK", "success"),
    1: ("QN_ERR_FAILED", "the operation failed"),
    2: ("QN_ERR_BAD_ID", "unknown parameter identifier or information type"),
    3: ("QN_ERR_RANGE", "channel or parameter value out of range"),
    4: ("QN_ERR_BAD_SETTINGS", "the settings record is malformed or had to be clamped"),
    5: ("QN_ERR_NO_HANDLE", "the device handle is not valid"),
    6: ("QN_ERR_NO_DEVICE", "no hub has this identifier"),
    7: ("QN_ERR_BAD_ARG", "an argument is missing or out of range"),
    8: ("QN_ERR_READ_ONLY", "the parameter cannot be written"),
    9: ("QN_ERR_ALREADY_OPEN", "the hub is already open"),
    10: ("QN_ERR_DEVICE", "a transfer to the hub failed, or the hub is not open"),
    11: ("QN_ERR_NOT_READY", "the measurement has not finished yet"),
    12: ("QN_ERR_TIMEOUT", "the measurement did not finish within the time-out"),
}


def status_name(status):
    """'QN_ERR_RANGE' for 3; 'status 42' for a code the library does not document."""
    return STATUS_TEXTS.get(status, ("status %d" % status, ""))[0]


class QuintelError(Exception):
    """A call of the library failed. `status` is the library's status code (QN_ERR_...),
    `text` what it means, `function` the library function that answered it, and `hardware`
    the hub's hardware error text when the library reported one."""

    def __init__(self, status, function, detail="", hardware=""):
        self.status = status
        self.name = status_name(status)
        self.text = STATUS_TEXTS.get(status, ("", "an undocumented status"))[1]
        self.function = function
        self.hardware = hardware
        message = "%s failed: %s (%d): %s" % (function, self.name, status, self.text)
        if detail:
            message += " (%s)" % detail
        if hardware:
            message += "; hardware error: %s" % hardware
        super().__init__(message)


class UnitError(ValueError):
    """A value in seconds or hertz that the hub cannot represent exactly, or that is out of
    range; the message says which tick counts are near."""
