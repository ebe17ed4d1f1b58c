^XA
^FX A test label: the product as a Code 128 of its own, so that a barcode reader can say whether
^FX every character of it reached the label as it was.
^FO32,24^BY2,3,80^BCN,80,N,N,N,A^FD{product}^FS
^FO32,140^A0N,34,30^FD{product}^FS
^XZ
