! List-directed reading by the reference runtime. Input lines: a kind letter
! (r = REAL, d = DOUBLE PRECISION, i = INTEGER), the item count n, one blank,
! then the text. Output per line: the iostat class (0 ok, -1 end, 1 error) and
! the n values as bit patterns in hexadecimal; an item not assigned keeps the
! pattern of -7.
program oracle_listread
  implicit none
  character(len=4096) :: line
  character(len=1) :: kind
  integer :: n, ios, i, p, q, st
  real :: r(64)
  double precision :: d(64)
  integer :: iv(64)
  do
    read (*, '(a)', iostat=ios) line
    if (ios /= 0) exit
    kind = line(1:1)
    p = index(line(3:), ' ') + 2
    read (line(3:p-1), *) n
    q = len_trim(line)
    if (line(q:q) == '|') q = q - 1
    r = -7.0
    d = -7.0d0
    iv = -7
    if (kind == 'r') then
      read (line(p+1:q), *, iostat=ios) (r(i), i = 1, n)
    else if (kind == 'd') then
      read (line(p+1:q), *, iostat=ios) (d(i), i = 1, n)
    else
      read (line(p+1:q), *, iostat=ios) (iv(i), i = 1, n)
    end if
    st = 0
    if (ios < 0) st = -1
    if (ios > 0) st = 1
    if (kind == 'r') then
      write (*, '(i2,64(1x,z8.8))') st, (r(i), i = 1, n)
    else if (kind == 'd') then
      write (*, '(i2,64(1x,z16.16))') st, (d(i), i = 1, n)
    else
      write (*, '(i2,64(1x,z8.8))') st, (iv(i), i = 1, n)
    end if
  end do
end program oracle_listread
