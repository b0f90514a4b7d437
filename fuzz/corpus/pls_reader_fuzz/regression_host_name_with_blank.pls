al
FILE0=http:// e

