^XA
^PW480
^LL320
^LH0,0
^FX The default label, 60 x 40 mm at 8 dots per mm (203 dpi): the serial as large text and as
^FX Code 128 (automatic mode, so that any printable serial reads back as it is), the product and
^FX the date. The values are filled in by zq61prog and zq61station; every placeholder stands in
^FX a field's data.
^FO32,24^A0N,64,56^FD{serial}^FS
^FO32,104^BY2,3,88^BCN,88,N,N,N,A^FD{serial}^FS
^FO32,212^A0N,34,30^FD{product}^FS
^FO32,262^A0N,28,26^FD{date}^FS
^XZ
