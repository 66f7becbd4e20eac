:100000000123456789ABCDEF1032547698BADCFEF8 trailing text makes this line longer than a row
:00000001FF
