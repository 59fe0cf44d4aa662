! Formatted WRITE by the reference runtime. Input: records of
!   F <format>
!   K <kind> <n>          kind: r (DOUBLE PRECISION), s (REAL), ir / is (one
!                         INTEGER, then n-1 reals), i (INTEGER), a (texts),
!                         l (LOGICAL)
!   then n value lines: reals and integers as hexadecimal bit patterns,
!   texts as the text, logicals as T or F.
! Each WRITE is followed by a line "@@" (or "@@ERR" when it failed).
program oracle_format
  implicit none
  integer, parameter :: maxn = 4000
  character(len=4000) :: fmt, line
  character(len=2) :: kind
  integer :: n, i, ios, flen
  double precision :: x8(maxn)
  real :: x4(maxn)
  integer :: iv(maxn), cl(maxn)
  integer(8) :: b8
  character(len=64) :: cv(maxn)
  logical :: lv(maxn)
  do
    read (*, '(a)', iostat=ios) line
    if (ios /= 0) exit
    fmt = line(3:)
    flen = len_trim(line) - 2
    if (line(len_trim(line):len_trim(line)) == '|') flen = flen - 1
    read (*, '(a)') line
    kind = line(3:4)
    read (line(5:), *) n
    do i = 1, n
      read (*, '(a)') line
      if (kind == 'a ') then
        cl(i) = len_trim(line) - 1
        cv(i) = line(1:cl(i))
      else if (kind == 'l ') then
        lv(i) = line(1:1) == 'T'
      else if (kind == 'i ' .or. ((kind == 'ir' .or. kind == 'is') .and. i == 1)) then
        read (line, '(z8)') iv(i)
      else if (kind == 's ' .or. kind == 'is') then
        read (line, '(z8)') iv(maxn)
        x4(i) = transfer(iv(maxn), 1.0)
      else
        read (line, '(z16)') b8
        x8(i) = transfer(b8, 1.0d0)
      end if
    end do
    select case (kind)
    case ('r ')
      write (*, fmt(1:flen), iostat=ios) (x8(i), i = 1, n)
    case ('s ')
      write (*, fmt(1:flen), iostat=ios) (x4(i), i = 1, n)
    case ('ir')
      write (*, fmt(1:flen), iostat=ios) iv(1), (x8(i), i = 2, n)
    case ('is')
      write (*, fmt(1:flen), iostat=ios) iv(1), (x4(i), i = 2, n)
    case ('i ')
      write (*, fmt(1:flen), iostat=ios) (iv(i), i = 1, n)
    case ('a ')
      write (*, fmt(1:flen), iostat=ios) (cv(i)(1:cl(i)), i = 1, n)
    case ('l ')
      write (*, fmt(1:flen), iostat=ios) (lv(i), i = 1, n)
    end select
    if (ios /= 0) then
      write (*, '(a)') '@@ERR'
    else
      write (*, '(a)') '@@'
    end if
  end do
end program oracle_format
